#pragma once

#include "plot/PlotView.h"
#include "store/Context.h"

namespace varilume {

/// Sets the user coordinate systems of picView, picMagScale and picJDScale from
/// TwoCycles, MinMag and MaxMag. On failure (equal magnitudes) the canvases keep
/// their systems and the error is shown, unless no data is loaded yet.
void Scaler(Context& ctx, PlotView& view);

/// Clears picJDScale and draws the phase ticks and labels for one or two cycles.
void WriteJDScale(Context& ctx, PlotView& view);

/// Clears picMagScale and draws half- and whole-magnitude ticks from
/// floor(MinMag) to floor(MaxMag), the whole ones labelled.
void WriteMagScale(Context& ctx, PlotView& view);

} // namespace varilume
