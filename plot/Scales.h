#pragma once

#include "plot/PlotView.h"
#include "store/Context.h"

namespace varilume {

/// Pixels between the data's range and the edges of a plot: a point at the end
/// of the range is drawn whole, not cut in half by the edge.
inline constexpr int kPlotEdgePx = 3;

/// Sets the user coordinate systems of a window's canvases: picView xFrom..xTo
/// by MinMag..MaxMag, picJDScale xFrom..xTo by 0..20, picMagScale 0..20 by
/// MinMag..MaxMag, each range reaching kPlotEdgePx of picView beyond the data
/// on both sides. On failure (an empty range) the canvases keep their systems
/// and the error is shown, unless no data is loaded yet.
void Scaler(Context& ctx, Pictures& view, double xFrom, double xTo);
/// The phase plot's systems: phases -0.5..0.5, or -1..1 with TwoCycles.
void Scaler(Context& ctx, PlotView& view);

/// Clears picJDScale and draws the phase ticks and labels for one or two cycles.
void WriteJDScale(Context& ctx, PlotView& view);

/// How the whole magnitudes of a magnitude strip are written: the phase plot
/// keeps a sign column (" 12", "-1"), the preview writes the bare number.
enum class MagLabels { SignColumn, Bare };

/// Clears picMagScale and draws half- and whole-magnitude ticks from
/// floor(MinMag) to floor(MaxMag), the whole ones labelled.
void WriteMagScale(Context& ctx, Pictures& view, MagLabels labels = MagLabels::SignColumn);

} // namespace varilume
