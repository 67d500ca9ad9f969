#pragma once

#include <QString>

class QLineEdit;

namespace varilume {

class Platform;
struct ProjectState;

/// The one owner of the trial period: the value the plot folds with
/// (ProjectState::Period) and the period box txtPeriod that shows it. Every
/// change goes through set(), which keeps both in step and says where the
/// value came from, so that a history of periods can be kept in one place.
class TrialPeriod {
public:
    /// Where a period came from.
    enum class Source {
        Typed,    // typed into the period box
        Step,     // a step up or down by the increment
        Estimate, // two clicks in the preview
        Search,   // chosen from a period search
        Reset,    // the default, on start, unload and a new preview
    };

    TrialPeriod(ProjectState& state, QLineEdit& box) : state_(state), box_(box) {}

    float value() const;
    /// Takes a period. The box shows it in its one text form (periodText),
    /// except a typed one, whose text stays as the user typed it.
    void set(float period, Source source);
    /// Back to the default period.
    void reset();
    /// Takes the box's text as a typed period. A text that is not a number is
    /// reported and leaves the period as it was (false).
    bool takeTyped(Platform& platform);

private:
    ProjectState& state_;
    QLineEdit& box_;
};

} // namespace varilume
