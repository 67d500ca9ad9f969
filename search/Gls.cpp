#include "search/Gls.h"

#include "search/Kernels.h"

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
                                                           double yy, double* coef) {
    constexpr int n = 2 * H;
    double a[2 * MaxHarmonics][2 * MaxHarmonics];
    double b[2 * MaxHarmonics];
    for (int h = 1; h <= H; ++h) {
        for (int g = 1; g <= H; ++g) {
            const int ch = 2 * (h - 1), sh = ch + 1, cg = 2 * (g - 1), sg = cg + 1;
            a[ch][cg] = 0.5 * (cosSum(c, h - g) + cosSum(c, h + g)) - c[h] * c[g];
            a[sh][sg] = 0.5 * (cosSum(c, h - g) - cosSum(c, h + g)) - s[h] * s[g];
            a[ch][sg] = 0.5 * (sinSum(s, g + h) + sinSum(s, g - h)) - c[h] * s[g];
            a[sg][ch] = a[ch][sg];
        }
        b[2 * (h - 1)] = yc[h];
        b[2 * (h - 1) + 1] = ys[h];
    }
    // Cholesky; a direction the sampling cannot tell apart is left out of the
    // fit instead of blowing it up: one whose own variance, after the mean and
    // the directions before it, is under MinPivot (the weights sum to one; a
    // basis function spread over all phases has 0.5). Near such frequencies (the
    // daily alias of night-bound data, say) a kept direction would multiply the
    // rounding of the sums by 1/pivot, and the power would depend on how they
    // were summed.
    double l[2 * MaxHarmonics][2 * MaxHarmonics] = {};
    double u[2 * MaxHarmonics];
    double inverse[2 * MaxHarmonics];
    bool used[2 * MaxHarmonics];
    for (int j = 0; j < n; ++j) {
        double d = a[j][j];
        for (int k = 0; k < j; ++k)
            d -= l[j][k] * l[j][k];
        used[j] = d > std::max(1e-12 * a[j][j], MinPivot);
        l[j][j] = used[j] ? std::sqrt(d) : 0;
        // One division a column: a multiply is a fraction of its cost, and
        // the rounding it adds is far below what the power is quoted to.
        inverse[j] = used[j] ? 1 / l[j][j] : 0;
        for (int i = j + 1; i < n; ++i) {
            double v = a[i][j];
            for (int k = 0; k < j; ++k)
                v -= l[i][k] * l[j][k];
            l[i][j] = used[j] ? v * inverse[j] : 0;
        }
    }
    double explained = 0;
    for (int i = 0; i < n; ++i) {
        double v = b[i];
        for (int k = 0; k < i; ++k)
            v -= l[i][k] * u[k];
        u[i] = used[i] ? v * inverse[i] : 0;
        explained += u[i] * u[i];
    }
    if (coef) {
        for (int i = n - 1; i >= 0; --i) {
            double v = u[i];
            for (int k = i + 1; k < n; ++k)
                v -= l[k][i] * coef[k];
            coef[i] = used[i] ? v / l[i][i] : 0;
        }
    }
    return std::min(1.0, explained / yy);
}

} // namespace

double glsFromSums(int H, const double* c, const double* s, const double* yc, const double* ys,
                   double yy, double* coef) {
    if (!(yy > 0))
        return 0;
    switch (H) {
    case 1:
        return glsFromSumsOf<1>(c, s, yc, ys, yy, coef);
    case 2:
        return glsFromSumsOf<2>(c, s, yc, ys, yy, coef);
    case 3:
        return glsFromSumsOf<3>(c, s, yc, ys, yy, coef);
    case 4:
        return glsFromSumsOf<4>(c, s, yc, ys, yy, coef);
    default:
        return 0; // no such fit
    }
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
