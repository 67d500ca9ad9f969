#pragma once

#include "plot/PlotView.h"
#include "store/Context.h"

namespace varilume {

/// Sets MinMag, MaxMag, MinJD and MaxJD from every observation in Obs (fainter-than
/// estimates included), MidJD from the current window, and the four range labels.
/// A single observation widens the ranges by 1 magnitude and 100 days each way.
/// An empty table is said in a "No Observations" box; LoadOK turns false, the plot
/// area is hidden and the ranges keep their values.
/// Returns true when the ranges were set.
bool FindExtremes(Context& ctx, PlotView& view);

} // namespace varilume
