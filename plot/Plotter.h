#pragma once

#include "plot/PlotView.h"
#include "store/Context.h"

namespace varilume {

/// Phases every plottable observation of the window [JDFrom, JDTo] at the current
/// Period, stores the phases and draws magnitude against phase on picView, one
/// dot per observation in its own colour. Returns false, having done nothing,
/// when a plot is already running (it yields to the window while it works, so a
/// request can arrive in the middle); the caller then runs it afterwards.
bool Plotter(Context& ctx, PlotView& view);

/// The caption over a finished plot of either window: the star (or, for a
/// two-column file, the file) and the number of points drawn.
QString pointsCaption(const ProjectState& s, std::size_t points);

} // namespace varilume
