#include "search/SearchMethods.h"

namespace varilume {

const MethodInfo& methodInfo(SearchMethod method) {
    for (const MethodInfo& m : SearchMethods)
        if (m.method == method)
            return m;
    return SearchMethods.front();
}

const MethodInfo* methodByKey(std::string_view key) {
    for (const MethodInfo& m : SearchMethods)
        if (m.key == key)
            return &m;
    return nullptr;
}

} // namespace varilume
