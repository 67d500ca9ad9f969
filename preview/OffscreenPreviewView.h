#pragma once

#include "canvas/Canvas.h"
#include "preview/PreviewView.h"

#include <QString>

namespace varilume {

/// The preview's three canvases at the main window's design size, with no
/// window around them: for previews drawn off screen (the benchmark, the fuzz
/// targets, which shrink them).
class OffscreenPreviewView : public PreviewView {
public:
    Canvas view{681, 353}, jd{681, 25}, mag{25, 353};
    Canvas& picView() override { return view; }
    Canvas& picJDScale() override { return jd; }
    Canvas& picMagScale() override { return mag; }
    void repaintCanvases() override {}
    void setStarCaption(const QString&) override {}
    void setGoEnabled(bool) override {}
};

} // namespace varilume
