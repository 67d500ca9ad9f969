#pragma once

#include <QRect>
#include <cmath>

namespace varilume {

/// Window places are designed in twips (1/1440 inch) at 15 twips per pixel.
inline constexpr float kTwipsPerPixel = 15.0f;
/// Outer size of the main and preview windows as designed.
inline constexpr float kDesignOuterWidth = 11250;
inline constexpr float kDesignOuterHeight = 8250;
/// The outer size is the client size plus the border (width) and the caption,
/// menu bar and borders (height).
inline constexpr float kFrameWidth = 120;
inline constexpr float kFrameHeight = 720;

/// A control's place in twips, relative to the client area.
struct TwipRect {
    float left = 0, top = 0, width = 0, height = 0;
    /// In pixels at 15 twips per pixel.
    QRect px() const {
        const auto p = [](float twips) {
            return static_cast<int>(std::lround(twips / kTwipsPerPixel));
        };
        return QRect(p(left), p(top), p(width), p(height));
    }
};

} // namespace varilume
