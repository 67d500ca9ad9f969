#pragma once

#include "ui/widgets/Twips.h"

#include <optional>

namespace varilume {

/// Places of the main window's controls that the resize moves.
struct MainLayout {
    TwipRect Label1{3578, 120, 3975, 495};
    TwipRect Label2{3638, 600, 3855, 615};
    TwipRect lblStarName{345, 240, 10215, 375};
    TwipRect picJDScale{360, 600, 10215, 375};
    TwipRect picView{360, 960, 10215, 5295};
    TwipRect picMagScale{10560, 960, 375, 5295};
    TwipRect picORBIS{4800, 1920, 1500, 1545};
    TwipRect cmdLoad{4800, 3960, 1500, 495};
    TwipRect cmdLoadXYZ{4800, 4620, 1500, 495};
    TwipRect fraUrCycles{4560, 6000, 2055, 800};
    TwipRect lblPrg{2858, 3720, 3615, 255};
    TwipRect prgLoad{4118, 3960, 2895, 255};
    TwipRect lblCopyright{105, 5400, 2415, 300};
    TwipRect fraAction{345, 6240, 10575, 975};
    TwipRect staPlot{0, 7275, 11130, 255};
};

/// Lays the main window out for an outer size W x H in twips, starting from the
/// current places. nullopt when the size is too small for the fixed margins
/// (a width or height would turn negative): the window then snaps back to its
/// start size. A minimised window keeps its layout.
std::optional<MainLayout> layoutMainWindow(const MainLayout& current, float W, float H,
                                           bool minimized);

} // namespace varilume
