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
    current().record(period, source, starName_);
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
    return moveTo(current().back());
}

bool TrialPeriod::forward() {
    return moveTo(current().forward());
}

bool TrialPeriod::jumpTo(std::size_t index) {
    return moveTo(current().jumpTo(index));
}

void TrialPeriod::setStar(const QString& key, const QString& name) {
    if (key == star_ && name == starName_)
        return;
    star_ = key;
    starName_ = name;
    // The period in force is where back steps from.
    current().record(value(), Source::Reset, starName_);
    if (onChange_)
        onChange_();
}

bool TrialPeriod::takeTyped(Platform& platform) {
    const QString text = box_.text();
    const auto p = typedPeriod(text);
    if (!p) {
        platform.message(QStringLiteral("The period \"") + text.trimmed() +
                             QStringLiteral("\" is not a number. The period stays at") +
                             periodText(value()) + QStringLiteral(" days."),
                         QStringLiteral("Period"), Buttons::Ok, Icon::Exclamation);
        // The refused text goes: the box shows the period in force again.
        box_.setText(periodText(value()));
        box_.selectAll();
        return false;
    }
    set(*p, Source::Typed);
    return true;
}

} // namespace varilume
