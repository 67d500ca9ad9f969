#include "ui/main/TrialPeriod.h"

#include "platform/Platform.h"
#include "store/State.h"
#include "ui/main/PeriodSteps.h"

#include <QLineEdit>

namespace varilume {

float TrialPeriod::value() const {
    return state_.Period;
}

void TrialPeriod::show(float period, bool keepText) {
    state_.Period = period;
    if (!keepText)
        box_.setText(periodText(period));
    if (onChange_)
        onChange_();
}

void TrialPeriod::set(float period, Source source) {
    history_.record(period, source);
    show(period, source == Source::Typed);
}

void TrialPeriod::reset() {
    set(kDefaultPeriod, Source::Reset);
}

bool TrialPeriod::moveTo(const std::optional<PeriodHistory::Entry>& entry) {
    if (!entry)
        return false;
    show(entry->period, false);
    return true;
}

bool TrialPeriod::back() {
    return moveTo(history_.back());
}

bool TrialPeriod::forward() {
    return moveTo(history_.forward());
}

bool TrialPeriod::jumpTo(std::size_t index) {
    return moveTo(history_.jumpTo(index));
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
