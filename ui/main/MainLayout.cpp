#include "ui/main/MainLayout.h"

#include <algorithm>

namespace varilume {

std::optional<MainLayout> layoutMainWindow(const MainLayout& current, float W, float H,
                                           bool minimized) {
    MainLayout l = current;
    if (minimized)
        return l;
    const float viewWidth = W - 1035;
    const float viewHeight = H - 2955;
    if (viewWidth < 0 || viewHeight < 0)
        return std::nullopt;
    const auto centre = [W](TwipRect& r) { r.left = W / 2 - r.width / 2; };

    l.picView.width = viewWidth;
    l.picView.height = viewHeight;
    l.picJDScale.width = viewWidth;
    l.picMagScale.left = viewWidth + 350;
    l.picMagScale.height = viewHeight;
    l.staPlot.top = H - 945;
    l.lblStarName.width = viewWidth;
    centre(l.Label1);
    centre(l.Label2);
    centre(l.fraAction);
    l.fraAction.top = H - 2010;
    l.cmdLoad.top = H * 0.48f;
    // On a window taller than about 1,240 pixels the logo would run into the
    // load button below it; there it stops a pixel above the button.
    l.picORBIS.top = std::min(H / 2 - l.picORBIS.height / 0.8f,
                              l.cmdLoad.top - l.picORBIS.height - kTwipsPerPixel);
    centre(l.picORBIS);
    centre(l.cmdLoad);
    l.cmdLoadXYZ.top = l.cmdLoad.top + 570;
    centre(l.cmdLoadXYZ);
    centre(l.fraUrCycles);
    l.fraUrCycles.top = l.cmdLoad.top + 1500;
    centre(l.prgLoad);
    l.prgLoad.top = H - 2625;
    l.lblPrg.top = H - 2865;
    centre(l.lblPrg);
    l.lblCopyright.top = H - 1300;
    return l;
}

} // namespace varilume
