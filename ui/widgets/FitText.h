#pragma once

#include <QWidget>

namespace varilume {

/// Widens a control placed at a fixed size when its caption would be cut in
/// the current font; a centred control stays centred on the same point.
inline void fitToText(QWidget* w, bool centred = false) {
    const int wanted = w->sizeHint().width();
    if (wanted <= w->width())
        return;
    QRect r = w->geometry();
    if (centred)
        r.moveLeft(r.left() - (wanted - r.width()) / 2);
    r.setWidth(wanted);
    w->setGeometry(r);
}

} // namespace varilume
