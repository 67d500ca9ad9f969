#include "import/ObsValues.h"

#include "format/NumberFormat.h"

#include <cmath>
#include <limits>

namespace varilume {

namespace {

// True when the digits before any exponent are not all zero: such a text read
// as 0 has underflowed.
bool hasNonZeroDigit(QStringView text) {
    for (QChar c : text) {
        if (c == u'e' || c == u'E')
            return false;
        if (c >= u'1' && c <= u'9')
            return true;
    }
    return false;
}

QString quoted(QStringView text) {
    constexpr qsizetype kShown = 40;
    const QString t = text.trimmed().toString();
    return u'"' + (t.size() > kShown ? t.left(kShown) + QStringLiteral("...") : t) + u'"';
}

} // namespace

QString checkObsNumbers(QStringView jdText, QStringView magText, ObsNumbers* out) {
    const auto jd = fmt::parseNumber(jdText);
    if (!jd || !std::isfinite(*jd))
        return QStringLiteral("the JD ") + quoted(jdText) + QStringLiteral(" is not a number");
    if (!(*jd > 0 && *jd < kMaxJD))
        return QStringLiteral("the JD ") + quoted(jdText) +
               QStringLiteral(" is outside 0 to 100000000");
    const auto mag = fmt::parseNumber(magText);
    if (!mag)
        return QStringLiteral("the magnitude ") + quoted(magText) +
               QStringLiteral(" is not a number");
    // Range first: converting a double beyond the single range is undefined.
    const bool fits = std::isfinite(*mag) && std::fabs(*mag) <= std::numeric_limits<float>::max();
    const float single = fits ? static_cast<float>(*mag) : 0.0f;
    if (!fits || (single == 0 && hasNonZeroDigit(magText)))
        return QStringLiteral("the magnitude ") + quoted(magText) +
               QStringLiteral(" is out of range");
    if (out) {
        out->jd = *jd;
        out->mag = single;
    }
    return QString();
}

} // namespace varilume
