#include "ui/main/TrialPeriod.h"

#include "platform/Platform.h"
#include "store/State.h"
#include "ui/main/PeriodSteps.h"

#include <QLineEdit>

namespace varilume {

float TrialPeriod::value() const {
    return state_.Period;
}

void TrialPeriod::set(float period, Source source) {
    state_.Period = period;
    if (source != Source::Typed)
        box_.setText(periodText(period));
}

void TrialPeriod::reset() {
    set(kDefaultPeriod, Source::Reset);
}

bool TrialPeriod::takeTyped(Platform& platform) {
    const QString text = box_.text();
    const auto p = typedPeriod(text);
    if (!p) {
        platform.message(QStringLiteral("The period \"") + text.trimmed() +
                             QStringLiteral("\" is not a number. The period stays at") +
                             periodText(value()) + QStringLiteral(" days."),
                         QStringLiteral("Period"), Buttons::Ok, Icon::Exclamation);
        return false;
    }
    set(*p, Source::Typed);
    return true;
}

} // namespace varilume
