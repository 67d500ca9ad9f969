#pragma once

#include <QString>
#include <optional>

namespace varilume {

/// A period step, or why it was refused.
struct PeriodStep {
    float period = 0;
    QString refused; // empty when the step was made
};
/// The period after a step down: Period - Increment (ten increments with Ctrl),
/// in 32-bit arithmetic; a negative result becomes 1 (exactly 0 stays 0).
/// Refused when the increment is not a finite positive number.
PeriodStep stepPeriodDown(float period, float increment, bool ctrl);
/// The period after a step up. Refused when the increment is not a finite
/// positive number or the period would leave the finite range: no step could
/// bring it back.
PeriodStep stepPeriodUp(float period, float increment, bool ctrl);
/// A typed period: blanks allowed around it, a negative value becomes 1;
/// nullopt when the text is not a number (the period then stays as it was).
std::optional<float> typedPeriod(const QString& text);
/// The period box text of a period (" 200", " .5").
QString periodText(float period);
/// "Magnification = 1.0 X": the whole JD range over the plotted window.
QString magnificationText(double minJD, double maxJD, double jdFrom, double jdTo);

/// The increment in force: the configured one scaled by ten to the power the
/// session's `*` and `/` keys have set.
float scaledIncrement(float increment, int power);
/// The power after one more `*` (up) or `/`; it stays as it was where the
/// increment would leave [1e-6, 1e6], so a held key cannot reach 0 or infinity.
int nextIncrementPower(float increment, int power, bool up);

} // namespace varilume
