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

/// 2 pi times the fractional part of f t: the phase angle without the whole
/// turns, whose rounding would otherwise grow with f t.
inline double turnPhase(double f, double t) {
    const double turns = f * t;
    return 2 * std::numbers::pi * (turns - std::floor(turns));
}

constexpr int MaxSumHarmonics = 4;

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
