#pragma once

// The O–C diagram: each group's observed minus computed time of maximum (in
// days) against cycle number, with its error bar, the line of the corrected
// linear ephemeris and the parabola of the quadratic one. Drawn on a Canvas,
// so the window and the saved image are one picture.

#include "canvas/Canvas.h"
#include "search/OMinusC.h"

#include <QString>

namespace varilume {

constexpr std::int32_t OcPointColor = 0x000000;     // black (BGR values)
constexpr std::int32_t OcLinearColor = 0xC06000;    // blue
constexpr std::int32_t OcQuadraticColor = 0x0000C8; // red

/// Clears the canvas to white and draws the diagram over the whole of it.
void drawOcPicture(Canvas& canvas, const OcResult& result);

/// The diagram as a PNG or BMP file (by the extension, PNG when there is
/// none known) of widthPx x heightPx; the reason it could not be written, or empty.
QString saveOcPicture(const OcResult& result, const QString& path, int widthPx = 1000,
                      int heightPx = 700);

} // namespace varilume
