#include "ui/widgets/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace varilume {

void fitOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // The frame is known once the window is shown.
    const QSize frame = window.frameGeometry().size() - window.size();
    const QSize fitting =
        window.size().boundedTo(available.size() - frame).expandedTo(window.minimumSize());
    if (fitting != window.size())
        window.resize(fitting);
    const QSize outer = fitting + frame;
    window.move(std::max(available.left(), available.center().x() - outer.width() / 2),
                std::max(available.top(), available.center().y() - outer.height() / 2));
}

} // namespace varilume
