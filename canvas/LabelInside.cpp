#include "canvas/LabelInside.h"

#include "canvas/Canvas.h"

#include <algorithm>
#include <cmath>

namespace varilume {

void printInside(Canvas& c, double x, double y, const QString& text) {
    // In device pixels, where "inside" does not depend on the axes' directions.
    // A pixel to spare: glyphs drawn at small sizes can end a little beyond
    // the measured advance.
    const QPointF at = c.toDevice(x, y);
    const double w = std::ceil(c.textWidth(text) / std::fabs(c.pixelWidth())) + 1;
    const double h = c.textHeight(text) / std::fabs(c.pixelHeight());
    const double dx = std::clamp(at.x(), 0.0, std::max(0.0, c.widthPx() - w));
    const double dy = std::clamp(at.y(), 0.0, std::max(0.0, c.heightPx() - h));
    const QPointF user = c.toUser(QPointF(dx, dy));
    c.setCurrentXY(user.x(), user.y());
    c.print(text);
}

} // namespace varilume
