#include "ui/main/PeriodSteps.h"

#include "format/NumberFormat.h"

#include <cmath>
#include <limits>

namespace varilume {

float stepPeriodDown(float period, float increment, bool ctrl) {
    const float step = ctrl ? 10.0f * increment : increment;
    float p = period - step;
    if (p < 0)
        p = 1.0f;
    return p;
}

float stepPeriodUp(float period, float increment, bool ctrl) {
    return period + (ctrl ? 10.0f * increment : increment);
}

std::optional<float> typedPeriod(const QString& text) {
    const auto v = fmt::parseNumber(text);
    if (!v || std::fabs(*v) > std::numeric_limits<float>::max())
        return std::nullopt;
    float p = static_cast<float>(*v);
    if (p < 0)
        p = 1.0f;
    return p;
}

QString periodText(float period) {
    return fmt::signedSingle(period);
}

QString magnificationText(double minJD, double maxJD, double jdFrom, double jdTo) {
    const double window = jdTo - jdFrom;
    const double whole = maxJD - minJD;
    // A window of one date (or no data) has no finite ratio; call it unmagnified.
    const double ratio = (window > 0 && whole > 0) ? whole / window : 1.0;
    return QStringLiteral("Magnification = ") + fmt::pattern(ratio, u"0.0") + QStringLiteral(" X");
}

} // namespace varilume

namespace varilume {

float scaledIncrement(float increment, int power) {
    return static_cast<float>(static_cast<double>(increment) * std::pow(10.0, power));
}

int nextIncrementPower(float increment, int power, bool up) {
    const int next = up ? power + 1 : power - 1;
    const double value = std::fabs(static_cast<double>(scaledIncrement(increment, next)));
    if (value == 0 || value < 1e-6 || value > 1e6)
        return power;
    return next;
}

} // namespace varilume
