#pragma once

#include "canvas/Raster.h"

#include <QColor>
#include <QtGlobal>
#include <cstdint>
#include <span>

namespace varilume::raster {

/// RGB value R + 256*G + 65536*B as a pixel.
inline QRgb toQRgb(std::int32_t rgb) {
    return qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

/// An RGB32 image and the user coordinate system on it, as the dot loop needs them.
struct DotTarget {
    uchar* bits = nullptr;
    qsizetype bytesPerLine = 0;
    int w = 1, h = 1;
    double left = 0, top = 0; // user coordinates of the top-left corner
    double ax = 1, ay = 1;    // device pixels per user unit
};

/// Stamps one dot around pixel (cx, cy): its inner pixels in inner, the others
/// in outline, clipped to the image.
void stampOne(const DotTarget& target, const Stamp& stamp, int cx, int cy, QRgb outline,
              QRgb inner);

/// Stamps one dot per (x[i], y[i]) in colour rgb[i] (R + 256 G + 65536 B), in
/// order, each the whole stamp in its one colour. Centres that are not finite or
/// lie beyond margin device pixels outside the image draw nothing. Many dots are
/// drawn in bands of image rows, one band per core: every band walks all dots in
/// order and writes only its own rows, so each pixel ends as one thread drawing
/// them all would leave it.
void stampDots(const DotTarget& target, const Stamp& stamp, double margin, std::span<const float> x,
               std::span<const float> y, std::span<const std::int32_t> rgb);
void stampDots(const DotTarget& target, const Stamp& stamp, double margin,
               std::span<const double> x, std::span<const float> y,
               std::span<const std::int32_t> rgb);

} // namespace varilume::raster
