#include "canvas/DotStamps.h"

#include "canvas/Parallel.h"

#include <QColor>
#include <cmath>

namespace varilume::raster {

namespace {

// Fewer dots than this per band are drawn faster by one thread than the start
// of another would take.
constexpr std::size_t kMinDotsPerBand = 16384;

template <typename X>
void stampBand(const DotTarget& t, const Stamp& s, double margin, std::span<const X> x,
               std::span<const float> y, std::span<const std::int32_t> rgb, int rowFirst,
               int rowEnd) {
    const std::size_t n = x.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double py = (double(y[i]) - t.top) * t.ay;
        if (!std::isfinite(py) || py < -margin || py > t.h + margin)
            continue;
        const int cy = pixelOf(py);
        if (cy + s.reach < rowFirst || cy - s.reach >= rowEnd)
            continue;
        const double px = (double(x[i]) - t.left) * t.ax;
        if (!std::isfinite(px) || px < -margin || px > t.w + margin)
            continue;
        const int cx = pixelOf(px);
        const QRgb colour = toQRgb(rgb[i]);
        const bool inside = cx - s.reach >= 0 && cx + s.reach < t.w && cy - s.reach >= rowFirst &&
                            cy + s.reach < rowEnd;
        for (int k = 0; k < s.count; ++k) {
            const int px2 = cx + s.dx[k];
            const int py2 = cy + s.dy[k];
            if (!inside && (px2 < 0 || px2 >= t.w || py2 < rowFirst || py2 >= rowEnd))
                continue;
            reinterpret_cast<QRgb*>(t.bits + py2 * t.bytesPerLine)[px2] = colour;
        }
    }
}

template <typename X>
void stampAll(const DotTarget& t, const Stamp& s, double margin, std::span<const X> x,
              std::span<const float> y, std::span<const std::int32_t> rgb) {
    // Bands of a few rows would cost more in walking the dots than they save.
    const int count =
        std::min(parallel::pieceCount(x.size(), kMinDotsPerBand), std::max(1, t.h / 16));
    parallel::run(count, [&](int b) {
        const auto [first, end] = parallel::slice(std::size_t(t.h), b, count);
        stampBand(t, s, margin, x, y, rgb, int(first), int(end));
    });
}

} // namespace

void stampOne(const DotTarget& t, const Stamp& s, int cx, int cy, QRgb outline, QRgb inner) {
    const bool inside =
        cx - s.reach >= 0 && cx + s.reach < t.w && cy - s.reach >= 0 && cy + s.reach < t.h;
    for (int i = 0; i < s.count; ++i) {
        const int x = cx + s.dx[i];
        const int y = cy + s.dy[i];
        if (!inside && (x < 0 || x >= t.w || y < 0 || y >= t.h))
            continue;
        reinterpret_cast<QRgb*>(t.bits + y * t.bytesPerLine)[x] = s.inner[i] ? inner : outline;
    }
}

void stampDots(const DotTarget& target, const Stamp& stamp, double margin, std::span<const float> x,
               std::span<const float> y, std::span<const std::int32_t> rgb) {
    stampAll(target, stamp, margin, x, y, rgb);
}

void stampDots(const DotTarget& target, const Stamp& stamp, double margin,
               std::span<const double> x, std::span<const float> y,
               std::span<const std::int32_t> rgb) {
    stampAll(target, stamp, margin, x, y, rgb);
}

} // namespace varilume::raster
