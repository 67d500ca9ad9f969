#pragma once

#include "ui/widgets/CanvasWidget.h"

#include <array>

class QWidget;

namespace varilume {

/// The three canvases of a plotting window: the plot (`picView`), the JD strip
/// above it (`picJDScale`) and the magnitude strip beside it (`picMagScale`).
struct PictureWidgets {
    CanvasWidget* jdScale = nullptr;
    CanvasWidget* view = nullptr;
    CanvasWidget* magScale = nullptr;

    /// Makes them on parent, black and empty: the plot draws in yellow, the
    /// strips in white with a 7-point font.
    static PictureWidgets create(QWidget* parent);

    std::array<CanvasWidget*, 3> all() const { return {jdScale, view, magScale}; }
    /// Shows on screen what the canvases hold now.
    void refresh() const;
    void setVisible(bool visible) const;
    /// Gives each canvas its widget's size, after a layout.
    void fitCanvases() const;
};

} // namespace varilume
