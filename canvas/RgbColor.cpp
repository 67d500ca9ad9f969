// The colour values and the error type that the canvas API declares.
#include "canvas/Canvas.h"

#include <QColor>

namespace varilume {

QColor rgbColor(std::int32_t rgb) {
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

std::int32_t rgbValue(const QColor& color) {
    return color.red() + 256 * color.green() + 65536 * color.blue();
}

CanvasError::CanvasError(const QString& description)
    : std::runtime_error(description.toStdString()) {}

QString CanvasError::description() const {
    return QString::fromStdString(what());
}

} // namespace varilume
