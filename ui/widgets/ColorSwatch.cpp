#include "ui/widgets/ColorSwatch.h"

#include "canvas/Canvas.h"

#include <QPainter>
#include <QPixmap>

namespace varilume {

QIcon colorSwatch(std::int32_t color) {
    QPixmap pixmap(12, 12);
    pixmap.fill(rgbColor(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 11, 11);
    return QIcon(pixmap);
}

} // namespace varilume
