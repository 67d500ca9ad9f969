#pragma once

#include <QString>

namespace varilume {

class Canvas;

/// What the preview's drawing routines need from the preview window.
class PreviewView {
public:
    virtual ~PreviewView() = default;
    virtual Canvas& picView() = 0;
    virtual Canvas& picJDScale() = 0;
    virtual Canvas& picMagScale() = 0;
    /// Shows the canvases' current drawing on screen.
    virtual void repaintCanvases() = 0;
    /// The status line lblStarName of the preview.
    virtual void setStarCaption(const QString& caption) = 0;
    /// cmdGo ("Continue") is disabled while a plot is drawn.
    virtual void setGoEnabled(bool enabled) = 0;
};

} // namespace varilume
