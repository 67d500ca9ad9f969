#pragma once

#include "canvas/Canvas.h"
#include "plot/Bands.h"

#include <cstdint>
#include <span>
#include <vector>

namespace varilume {

/// Draws the dots of the rows whose band is shown under mask (shownBandMask),
/// in their order, and returns how many that were. Hidden bands cost nothing
/// while none is hidden.
template <typename X>
std::size_t drawShownDots(Canvas& canvas, const std::vector<char>& mask, std::span<const X> x,
                          std::span<const float> y, double r, std::span<const std::int32_t> color,
                          std::span<const std::uint16_t> band) {
    if (mask.empty()) {
        canvas.dots(x, y, r, color);
        return x.size();
    }
    std::vector<X> keptX;
    std::vector<float> keptY;
    std::vector<std::int32_t> keptColor;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!rowShown(mask, band[i]))
            continue;
        keptX.push_back(x[i]);
        keptY.push_back(y[i]);
        keptColor.push_back(color[i]);
    }
    canvas.dots(std::span<const X>(keptX), keptY, r, keptColor);
    return keptX.size();
}

} // namespace varilume
