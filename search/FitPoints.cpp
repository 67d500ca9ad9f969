#include "search/FitPoints.h"

#include <algorithm>

namespace varilume::detail {

std::string readFitPoints(const SearchData& data, bool useWeights, FitPoints& p) {
    const std::size_t n = std::min(data.times.size(), data.mags.size());
    if (n == 0)
        return "No observations to fit.";
    bool weighted = useWeights && data.errors.size() >= n;
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(data.times[i]) || !std::isfinite(data.mags[i]))
            return "An observation is not a number.";
        if (weighted && !(data.errors[i] > 0 && std::isfinite(data.errors[i])))
            weighted = false;
    }
    const auto [lo, hi] = std::minmax_element(data.times.begin(), data.times.begin() + n);
    p.tm = 0.5 * (*lo + *hi);
    p.span = *hi - *lo;
    p.weighted = weighted;
    p.x.resize(n);
    p.y.resize(n);
    p.sw.resize(n);
    p.wsum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        p.x[i] = data.times[i] - p.tm;
        p.y[i] = data.mags[i];
        p.sw[i] = weighted ? 1 / data.errors[i] : 1.0;
        p.wsum += p.sw[i] * p.sw[i];
    }
    return {};
}

} // namespace varilume::detail
