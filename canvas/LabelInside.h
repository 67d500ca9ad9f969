#pragma once

#include <QString>

namespace varilume {

class Canvas;

/// Prints a label whose top-left corner is meant to be (x, y), moved inwards
/// just as far as it takes to lie whole inside the canvas: the end labels of a
/// scale strip would otherwise lose a sign or their first digits at its edge.
void printInside(Canvas& c, double x, double y, const QString& text);

} // namespace varilume
