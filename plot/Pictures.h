#pragma once

#include <QString>

namespace varilume {

class Canvas;

/// What a plotting window shows: its plot, the JD strip above it, the
/// magnitude strip beside it and a status line. The main window and the
/// preview both have them, so one scale routine serves both.
class Pictures {
public:
    virtual ~Pictures() = default;
    virtual Canvas& picView() = 0;
    virtual Canvas& picJDScale() = 0;
    virtual Canvas& picMagScale() = 0;
    /// Shows the canvases' current drawing on screen.
    virtual void repaintCanvases() = 0;
    /// The status line lblStarName.
    virtual void setStarCaption(const QString& caption) = 0;
};

} // namespace varilume
