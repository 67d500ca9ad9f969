#pragma once

// Generalised Lomb–Scargle with a floating mean and 1 to 4 harmonics: the
// fraction of the weighted variance that the best fit of mean plus harmonics
// explains, 0 to 1.

#include "search/Prepared.h"

#include <cstddef>

namespace varilume::detail {

constexpr int MaxHarmonics = searchlimits::MaxHarmonics;

/// Power at frequencies grid.frequency(k) for k in [k0, k1), written to out[k - k0].
void glsGrid(const Prepared& p, int harmonics, const FrequencyGrid& grid, std::size_t k0,
             std::size_t k1, double* out);

/// Power at one frequency, summed directly.
double glsPowerAt(const Prepared& p, int harmonics, double frequency);

/// The least-squares fit at one frequency: amplitude of the fundamental and
/// the rms of the residuals (both in magnitudes).
struct HarmonicFit {
    double amplitude = 0;
    double residualRms = 0;
};
HarmonicFit glsFit(const Prepared& p, int harmonics, double frequency);

/// Power from the weighted trig sums (weights summing to 1): c[m], s[m] for
/// m = 0..2H are sum w cos(m x), sum w sin(m x); yc[h], ys[h] for h = 1..H are
/// sum w y cos(h x), sum w y sin(h x), with y less its mean; yy is sum w y^2.
double glsFromSums(int harmonics, const double* c, const double* s, const double* yc,
                   const double* ys, double yy, double* coef = nullptr);

/// The powers with 1, 2, ..., H harmonics from the same sums, in one solve:
/// powers[h - 1] is what glsFromSums(h, ...) gives.
void glsLevelsFromSums(int harmonics, const double* c, const double* s, const double* yc,
                       const double* ys, double yy, double* powers);

/// |sum w exp(2 pi i f t)|^2 at one frequency.
double windowAt(const Prepared& p, double frequency);

/// |sum w exp(2 pi i f t)|^2 over the grid (the spectral window).
void windowGrid(const Prepared& p, const FrequencyGrid& grid, std::size_t k0, std::size_t k1,
                double* out);

} // namespace varilume::detail
