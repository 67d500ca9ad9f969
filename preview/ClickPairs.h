#pragma once

#include <cstdint>

namespace varilume {

struct ProjectState;

/// What a click on the preview's plot area came to.
enum class ClickOutcome {
    None,        // first click of a pair, or ignored while a plot is drawn
    Estimate,    // a pair outside zoom mode: state.Period holds the estimate
    Zoom,        // a pair in zoom mode: state.JDFrom..JDTo is the new window
    WrongNumber, // a third click: show the message, then afterWrongNumber()
};

/// The preview's click state, apart from the window that shows it: the JDs of
/// the two clicks of a pair and the number of clicks since the last reset.
///
/// A completed pair leaves its positions in place, so a later single click
/// completes a pair with the leftover one; the window asks for two clicks each
/// time, and the Zoom command and a wrong number of clicks clear them.
///
/// JDs are kept as doubles: as singles they would only resolve a quarter of a
/// day near JD 2,450,000, and the period estimate with them.
class ClickPairs {
public:
    /// A click at `jd` on the plot area. Ignored (None) while state.Plotting is
    /// set. The caller draws the click line first (clickLineColor) and acts
    /// on the outcome: a redraw after Zoom, the period boxes after Estimate.
    ClickOutcome click(ProjectState& state, double jd);
    /// After the wrong-number message has been closed: both positions and the
    /// count are cleared. The caller then runs its Refresh action.
    void afterWrongNumber();

    /// Refresh: count cleared, zoom mode left.
    void refresh(ProjectState& state);
    /// Reset: as refresh, and the JD window back to the whole data set.
    void reset(ProjectState& state);
    /// Zoom: positions cleared, refresh, then zoom mode set for the next pair.
    void zoom(ProjectState& state);
    /// Slider released at `percent`: count cleared, window set by sliderWindow().
    void slider(ProjectState& state, int percent);
    /// The window was activated: count cleared.
    void activate();
    /// The window closes: zoom mode left.
    static void close(ProjectState& state);

    /// Colour of the line drawn at a click: light cyan in zoom mode, else grey.
    static std::int32_t clickLineColor(const ProjectState& state);

    bool secondClickNext() const { return secondClickNext_; }
    double clickJD1() const { return clickJD1_; }
    double clickJD2() const { return clickJD2_; }
    int clickCount() const { return clickCount_; }

private:
    ClickOutcome completeClickPair(ProjectState& state);

    bool secondClickNext_ = false;
    double clickJD1_ = 0; // 0: no position
    double clickJD2_ = 0;
    int clickCount_ = 0;
};

/// The JD window for the slider at `percent`: it ends at MaxJD and reaches back
/// that share of the whole span (computed in singles, as the slider always was).
void sliderWindow(ProjectState& state, int percent);

} // namespace varilume
