#pragma once

// The inner loops shared by the Lomb–Scargle power and the spectral window:
// weighted trig sums at every grid frequency, by a rotation recurrence along
// the grid (one complex multiply per observation and frequency) re-anchored
// exactly every few hundred frequencies, vectorised over observations.

#include "search/Prepared.h"

#include <cmath>
#include <cstddef>
#include <functional>
#include <numbers>

namespace varilume::detail {

/// The fractional part of a t, in turns. The product is split exactly into a
/// double and its rounding error first, so the fraction keeps its precision
/// however many whole turns a t holds (a century at 20 c/d is 700,000).
inline double exactTurns(double a, double t) {
    const double p = a * t;
    const double e = std::fma(a, t, -p); // a t = p + e exactly
    const double turns = (p - std::floor(p)) + e;
    return turns - std::floor(turns);
}

/// The fractional part of (fmin + k step) t, the frequency taken as exact:
/// every way of summing over the grid then sees the same phases.
inline double gridTurns(const FrequencyGrid& grid, std::size_t k, double t) {
    const double hi = grid.step * t;
    const double lo = std::fma(grid.step, t, -hi);
    const double kd = static_cast<double>(k);
    const double p = kd * hi;
    const double e = std::fma(kd, hi, -p);
    const double turns = exactTurns(grid.fmin, t) + (p - std::floor(p)) + e + kd * lo;
    return turns - std::floor(turns);
}

/// 2 pi times the fractional part of f t: the phase angle without the whole turns.
inline double turnPhase(double f, double t) {
    return 2 * std::numbers::pi * exactTurns(f, t);
}

constexpr int MaxSumHarmonics = searchlimits::MaxHarmonics;

struct TrigSums {
    double c[2 * MaxSumHarmonics + 1] = {};
    double s[2 * MaxSumHarmonics + 1] = {};
    double yc[MaxSumHarmonics + 1] = {};
    double ys[MaxSumHarmonics + 1] = {};
};

/// Calls done(k, sums) for each k in [k0, k1), in order.
void trigSumsGrid(const Prepared& p, int harmonics, const FrequencyGrid& grid, std::size_t k0,
                  std::size_t k1, const std::function<void(std::size_t, const TrigSums&)>& done);

/// True when the wide vector kernels run on this processor.
bool wideKernels();

} // namespace varilume::detail
