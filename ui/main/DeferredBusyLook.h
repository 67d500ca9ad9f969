#pragma once

#include <QElapsedTimer>

namespace varilume {

/// The start screen that a plot shows while it runs, held back during a replot:
/// a period step is over before the look would only flicker, so the look comes
/// once the plot has run for a while.
class DeferredBusyLook {
public:
    /// The plot asked for the look; it is due after kDelayMs.
    void defer() {
        pending_ = true;
        since_.start();
    }
    /// Shown or no longer wanted.
    void cancel() { pending_ = false; }
    /// Whether the look is held back now.
    bool pending() const { return pending_; }
    /// True once, when the held-back look is due; the caller shows it.
    bool takeDue() {
        if (!pending_ || since_.elapsed() <= kDelayMs)
            return false;
        pending_ = false;
        return true;
    }

private:
    static constexpr qint64 kDelayMs = 250;
    bool pending_ = false;
    QElapsedTimer since_;
};

} // namespace varilume
