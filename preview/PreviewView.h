#pragma once

#include "plot/Pictures.h"

namespace varilume {

/// What the preview's drawing routines need from the preview window.
class PreviewView : public Pictures {
public:
    /// cmdGo ("Continue") is disabled while a plot is drawn.
    virtual void setGoEnabled(bool enabled) = 0;
};

} // namespace varilume
