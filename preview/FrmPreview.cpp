#include "preview/FrmPreview.h"

namespace varilume {

void runPreview(Context&, PlotView&) {}

} // namespace varilume
