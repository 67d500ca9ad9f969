#pragma once

#include "store/Context.h"

namespace varilume {

class PlotView;

/// Shows the light-curve preview modally for the JD window in force and
/// returns when it closes; the window and period it hands back are in the state.
void runPreview(Context& ctx, PlotView& mainWindow);

} // namespace varilume
