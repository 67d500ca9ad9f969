#include "search/Gls.h"

#include "search/Kernels.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace varilume::detail {

namespace {

constexpr double MinPivot = 1e-4;

double cosSum(const double* c, int m) {
    return c[m < 0 ? -m : m];
}
double sinSum(const double* s, int m) {
    return m < 0 ? -s[-m] : s[m];
}

} // namespace

namespace {

// The harmonics as a constant, so that the small solve below unrolls into
// registers: eleven million of them make a long search's grid.
template <int H>
requires(H >= 1 && H <= MaxHarmonics) double glsFromSumsOf(const double* c, const double* s,
                                                           const double* yc, const double* ys,
                                                           double yy, double* coef,
                                                           double* levels) {
    constexpr int n = 2 * H;
    // The lower triangle of the covariances of cos x, sin x, cos 2x, sin 2x, ...
    double a[n][n];
    double b[n];
    for (int h = 1; h <= H; ++h) {
        const int ch = 2 * (h - 1), sh = ch + 1;
        for (int g = 1; g <= h; ++g) {
            const int cg = 2 * (g - 1), sg = cg + 1;
            a[ch][cg] = 0.5 * (cosSum(c, h - g) + cosSum(c, h + g)) - c[h] * c[g];
            a[sh][sg] = 0.5 * (cosSum(c, h - g) - cosSum(c, h + g)) - s[h] * s[g];
            a[sh][cg] = 0.5 * (sinSum(s, h + g) + sinSum(s, h - g)) - s[h] * c[g];
            if (g < h)
                a[ch][sg] = 0.5 * (sinSum(s, g + h) + sinSum(s, g - h)) - c[h] * s[g];
        }
        b[ch] = yc[h];
        b[sh] = ys[h];
    }
    // LDL^T (no square roots: a long grid makes millions of these); a
    // direction the sampling cannot tell apart is left out of the fit instead
    // of blowing it up: one whose own variance, after the mean and the
    // directions before it, is under MinPivot (the weights sum to one; a basis
    // function spread over all phases has 0.5). Near such frequencies (the
    // daily alias of night-bound data, say) a kept direction would multiply the
    // rounding of the sums by 1/pivot, and the power would depend on how they
    // were summed. w[i][j] is l[i][j] d[j].
    double l[n][n] = {}; // zero above the diagonal, never read; GCC cannot tell
    double w[n][n];
    double inverse[n]; // 1 / d, or 0 for a direction left out
    for (int j = 0; j < n; ++j) {
        double d = a[j][j];
        for (int k = 0; k < j; ++k)
            d -= l[j][k] * w[j][k];
        const bool used = d > std::max(1e-12 * a[j][j], MinPivot);
        inverse[j] = used ? 1 / d : 0;
        for (int i = j + 1; i < n; ++i) {
            double v = a[i][j];
            for (int k = 0; k < j; ++k)
                v -= l[i][k] * w[j][k];
            w[i][j] = used ? v : 0;
            l[i][j] = v * inverse[j];
        }
    }
    double z[n];
    double explained = 0;
    for (int i = 0; i < n; ++i) {
        double v = b[i];
        for (int k = 0; k < i; ++k)
            v -= l[i][k] * z[k];
        z[i] = v;
        explained += v * v * inverse[i];
        // The leading 2h rows are the fit with h harmonics, exactly: the
        // directions come in the order cos x, sin x, cos 2x, sin 2x, ...
        if (levels && i % 2 == 1)
            levels[i / 2] = std::min(1.0, explained / yy);
    }
    if (coef) {
        for (int i = n - 1; i >= 0; --i) {
            double v = z[i] * inverse[i];
            for (int k = i + 1; k < n; ++k)
                v -= l[k][i] * coef[k];
            coef[i] = v;
        }
    }
    return std::min(1.0, explained / yy);
}

// The solve for a harmonic count known only at run time; 0 for no such fit.
double solveSums(int H, const double* c, const double* s, const double* yc, const double* ys,
                 double yy, double* coef, double* levels) {
    switch (H) {
    case 1:
        return glsFromSumsOf<1>(c, s, yc, ys, yy, coef, levels);
    case 2:
        return glsFromSumsOf<2>(c, s, yc, ys, yy, coef, levels);
    case 3:
        return glsFromSumsOf<3>(c, s, yc, ys, yy, coef, levels);
    case 4:
        return glsFromSumsOf<4>(c, s, yc, ys, yy, coef, levels);
    default:
        return 0;
    }
}

} // namespace

double glsFromSums(int H, const double* c, const double* s, const double* yc, const double* ys,
                   double yy, double* coef) {
    return yy > 0 ? solveSums(H, c, s, yc, ys, yy, coef, nullptr) : 0;
}

void glsLevelsFromSums(int H, const double* c, const double* s, const double* yc, const double* ys,
                       double yy, double* powers) {
    std::fill(powers, powers + std::clamp(H, 0, MaxHarmonics), 0.0);
    if (yy > 0)
        solveSums(H, c, s, yc, ys, yy, nullptr, powers);
}

namespace {

struct DirectSums {
    double c[2 * MaxHarmonics + 1] = {};
    double s[2 * MaxHarmonics + 1] = {};
    double yc[MaxHarmonics + 1] = {};
    double ys[MaxHarmonics + 1] = {};
};

DirectSums directSums(const Prepared& p, int H, double f) {
    DirectSums d;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const double x = turnPhase(f, p.t[i]);
        const double zr = std::cos(x), zi = std::sin(x);
        double pr = 1, pi = 0;
        d.c[0] += p.w[i];
        for (int m = 1; m <= 2 * H; ++m) {
            const double nr = pr * zr - pi * zi;
            pi = pr * zi + pi * zr;
            pr = nr;
            d.c[m] += p.w[i] * pr;
            d.s[m] += p.w[i] * pi;
            if (m <= H) {
                d.yc[m] += p.w[i] * p.y[i] * pr;
                d.ys[m] += p.w[i] * p.y[i] * pi;
            }
        }
    }
    return d;
}

} // namespace

double glsPowerAt(const Prepared& p, int H, double f) {
    const DirectSums d = directSums(p, H, f);
    return glsFromSums(H, d.c, d.s, d.yc, d.ys, p.yy);
}

HarmonicFit glsFit(const Prepared& p, int H, double f) {
    const DirectSums d = directSums(p, H, f);
    double coef[2 * MaxHarmonics] = {};
    const double power = glsFromSums(H, d.c, d.s, d.yc, d.ys, p.yy, coef);
    HarmonicFit fit;
    fit.amplitude = std::hypot(coef[0], coef[1]);
    fit.residualRms = std::sqrt(std::max(0.0, p.yy * (1 - power)));
    return fit;
}

void glsGrid(const Prepared& p, int H, const FrequencyGrid& grid, std::size_t k0, std::size_t k1,
             double* out) {
    trigSumsGrid(p, H, grid, k0, k1, [&](std::size_t k, const TrigSums& t) {
        out[k - k0] = glsFromSums(H, t.c, t.s, t.yc, t.ys, p.yy);
    });
}

double windowAt(const Prepared& p, double f) {
    double c = 0, s = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const double x = turnPhase(f, p.t[i]);
        c += p.w[i] * std::cos(x);
        s += p.w[i] * std::sin(x);
    }
    return c * c + s * s;
}

void windowGrid(const Prepared& p, const FrequencyGrid& grid, std::size_t k0, std::size_t k1,
                double* out) {
    // One harmonic's sums carry sum w cos x and sum w sin x: all the window needs.
    trigSumsGrid(p, 1, grid, k0, k1, [&](std::size_t k, const TrigSums& t) {
        out[k - k0] = t.c[1] * t.c[1] + t.s[1] * t.s[1];
    });
}

} // namespace varilume::detail
