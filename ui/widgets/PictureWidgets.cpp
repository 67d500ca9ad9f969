#include "ui/widgets/PictureWidgets.h"

namespace varilume {

namespace {

CanvasWidget* canvasNamed(QWidget* parent, const char* name) {
    auto* w = new CanvasWidget(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace

PictureWidgets PictureWidgets::create(QWidget* parent) {
    PictureWidgets p;
    p.jdScale = canvasNamed(parent, "picJDScale");
    p.view = canvasNamed(parent, "picView");
    p.magScale = canvasNamed(parent, "picMagScale");
    p.view->canvas().setForeground(0x00FFFF);
    QFont stripFont = parent->font();
    stripFont.setPointSizeF(7);
    for (CanvasWidget* strip : {p.jdScale, p.magScale})
        strip->canvas().setFont(stripFont);
    for (CanvasWidget* c : p.all())
        c->canvas().clear();
    return p;
}

void PictureWidgets::refresh() const {
    for (CanvasWidget* c : all())
        c->refresh();
}

void PictureWidgets::setVisible(bool visible) const {
    for (CanvasWidget* c : all())
        c->setVisible(visible);
}

void PictureWidgets::fitCanvases() const {
    for (CanvasWidget* c : all())
        c->canvas().resize(c->width(), c->height());
}

} // namespace varilume
