#include "import/TwoColumnLine.h"

namespace varilume {

QString TwoColumnLine::Span::text() const {
    if (!hasMark)
        return QString::fromUtf8(begin, end - begin);
    QByteArray kept;
    kept.reserve(end - begin);
    for (const char* p = begin; p != end; ++p) {
        if (*p != '<')
            kept.append(*p);
    }
    return QString::fromUtf8(kept);
}

TwoColumnLine splitTwoColumnLine(QByteArrayView text) {
    TwoColumnLine line;
    bool inValue = false;
    const char* const end = text.data() + text.size();
    for (const char* p = text.data(); p != end; ++p) {
        const char c = *p;
        if (c == ' ' || c == '\t' || c == ',') {
            inValue = false;
            continue;
        }
        if (c == '<') {
            line.faint = true;
            if (inValue && line.values <= 3)
                line.value[line.values - 1].hasMark = true;
            continue;
        }
        if (!inValue) {
            inValue = true;
            if (++line.values <= 3)
                line.value[line.values - 1].begin = p;
        }
        if (line.values <= 3)
            line.value[line.values - 1].end = p + 1;
    }
    return line;
}

} // namespace varilume
