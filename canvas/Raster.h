#pragma once

#include <algorithm>
#include <array>

/// Pixel arithmetic of the image canvas: the pixel a device coordinate falls
/// in, the pixel stamps of small dots and the clipping of lines to the image.
namespace varilume::raster {

// Device coordinates a hair below a pixel boundary (sums like -0.5 + 0.1 + ...)
// still belong to the pixel the caller meant.
constexpr double kPixelSlack = 1e-7;

// Floor without a library call; callers pass values already clipped to near
// the image.
inline int pixelOf(double device) {
    const double v = device + kPixelSlack;
    const int i = static_cast<int>(v);
    return i - (v < i ? 1 : 0);
}

// Pixel stamp of a small dot: the pixels around the centre whose squared
// distance is at most rp^2 + rp/2 (a round look at one and two pixels); a pixel
// whose four neighbours all belong to the stamp is interior and takes the fill.
struct Stamp {
    int count = 0;
    int reach = 0;
    std::array<int, 25> dx{};
    std::array<int, 25> dy{};
    std::array<bool, 25> inner{};
};

constexpr bool inDisc(int dx, int dy, int rp) {
    return 2 * (dx * dx + dy * dy) <= 2 * rp * rp + rp;
}

constexpr Stamp makeStamp(int rp) {
    Stamp s;
    s.reach = rp;
    for (int dy = -rp; dy <= rp; ++dy) {
        for (int dx = -rp; dx <= rp; ++dx) {
            if (!inDisc(dx, dy, rp)) {
                continue;
            }
            s.dx[s.count] = dx;
            s.dy[s.count] = dy;
            s.inner[s.count] = inDisc(dx - 1, dy, rp) && inDisc(dx + 1, dy, rp) &&
                               inDisc(dx, dy - 1, rp) && inDisc(dx, dy + 1, rp);
            ++s.count;
        }
    }
    return s;
}

constexpr std::array<Stamp, 3> kStamps = {makeStamp(0), makeStamp(1), makeStamp(2)};
constexpr int kLargestStamp = 2;

// Cuts the segment to the rectangle [lo, hi] (Liang-Barsky); false when
// nothing of it is inside.
inline bool clipSegment(double& x1, double& y1, double& x2, double& y2, double xlo, double ylo,
                        double xhi, double yhi) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    double t0 = 0.0;
    double t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - xlo, xhi - x1, y1 - ylo, yhi - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    const double sx = x1;
    const double sy = y1;
    x1 = sx + t0 * dx;
    y1 = sy + t0 * dy;
    x2 = sx + t1 * dx;
    y2 = sy + t1 * dy;
    return true;
}

} // namespace varilume::raster
