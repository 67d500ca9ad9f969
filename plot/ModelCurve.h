#pragma once

// A fitted light-curve model drawn over the folded plot: a value held in
// memory by whoever made it, never written to the store.

#include "canvas/Canvas.h"
#include "search/FourierFit.h"
#include "store/State.h"

#include <cstdint>

namespace varilume {

/// The model line's colour (a deep orange, apart from every band's default).
constexpr std::int32_t ModelCurveColor = 0x0060E0; // BGR: red 224, green 96, blue 0

/// Line segments per cycle: smooth at any plot width a screen or page has.
constexpr int ModelCurveSegments = 400;

/// The magnitude the model gives at plot phase x, with phase 0 at the plot's
/// epoch (MidJD) and one phase unit one cycle of the model's own period.
double modelAtPhase(const FourierFit& fit, double midJD, double x);

/// Draws the model over the plot's phase range (one or two cycles, as the
/// state says) as a line in ModelCurveColor, `width` pixels wide.
void drawModelCurve(Canvas& plot, const ProjectState& state, const FourierFit& fit, int width = 2);

} // namespace varilume
