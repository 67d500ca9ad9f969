#pragma once

#include "ui/main/PeriodHistory.h"

#include <QString>
#include <cstddef>
#include <functional>
#include <map>

class QLineEdit;

namespace varilume {

class Platform;
struct ProjectState;

/// The one owner of the trial period: the value the plot folds with
/// (ProjectState::Period), the period box txtPeriod that shows it, and the
/// history of periods. Every change goes through set(), which keeps the three
/// in step and records where the value came from.
class TrialPeriod {
public:
    using Source = PeriodSource;

    TrialPeriod(ProjectState& state, QLineEdit& box) : state_(state), box_(box) {}

    float value() const;
    /// Takes a period and records it in the history. The box shows it in its
    /// one text form (periodText), except a typed one, whose text stays as the
    /// user typed it.
    void set(float period, Source source);
    /// Back to the default period.
    void reset();
    /// Takes the box's text as a typed period. A text that is not a number is
    /// reported and leaves the period as it was (false).
    bool takeTyped(Platform& platform);

    /// Ctrl+Z, Ctrl+Shift+Z and the "Period History" list: an earlier or later
    /// period again, moving through the history without adding to it. False
    /// when there is none that way.
    bool back();
    bool forward();
    bool jumpTo(std::size_t index);
    /// The history of the star in force.
    const PeriodHistory& history() const { return histories_.at(star_); }
    /// Another star (key: its file and name; empty when none): its own history
    /// from its last load comes back, and the period in force goes on it.
    void setStar(const QString& key, const QString& name);
    /// Called after every change of the period or of its history.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

private:
    void show(float period, bool keepText);
    bool moveTo(const std::optional<PeriodHistory::Entry>& entry);

    ProjectState& state_;
    QLineEdit& box_;
    PeriodHistory& current() { return histories_[star_]; }

    // One history per star, kept across loads of the same file.
    std::map<QString, PeriodHistory> histories_{{QString(), PeriodHistory()}};
    QString star_;
    QString starName_;
    std::function<void()> onChange_;
};

} // namespace varilume
