#include "ui/main/PeriodSteps.h"

#include "format/NumberFormat.h"

#include <cmath>
#include <limits>

namespace varilume {

namespace {

QString stays(float period) {
    return QStringLiteral(" The period stays at") + periodText(period) + QStringLiteral(" days.");
}

// The step (infinite when ten huge increments overflow), or nullopt when the
// increment is no finite positive number.
std::optional<float> stepOf(float increment, bool ctrl) {
    if (!(increment > 0) || !std::isfinite(increment))
        return std::nullopt;
    return ctrl ? 10.0f * increment : increment;
}

QString badIncrement(float period, float increment) {
    return QStringLiteral("The period increment") + periodText(increment) +
           QStringLiteral(" is not a positive number of days; set it under Configure.") +
           stays(period);
}

} // namespace

PeriodStep stepPeriodDown(float period, float increment, bool ctrl) {
    const auto step = stepOf(increment, ctrl);
    if (!step)
        return {period, badIncrement(period, increment)};
    float p = period - *step;
    if (p < 0)
        p = 1.0f;
    return {p, QString()};
}

PeriodStep stepPeriodUp(float period, float increment, bool ctrl) {
    const auto step = stepOf(increment, ctrl);
    if (!step)
        return {period, badIncrement(period, increment)};
    const float p = period + *step;
    if (!std::isfinite(p))
        return {period, QStringLiteral("A step of") + periodText(*step) +
                            QStringLiteral(" days would take the period beyond any number.") +
                            stays(period)};
    return {p, QString()};
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
