#include "ui/widgets/PictureWidgets.h"

#include "ui/widgets/Named.h"

namespace varilume {

PictureWidgets PictureWidgets::create(QWidget* parent) {
    PictureWidgets p;
    p.jdScale = named(new CanvasWidget(parent), "picJDScale");
    p.view = named(new CanvasWidget(parent), "picView");
    p.magScale = named(new CanvasWidget(parent), "picMagScale");
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
