#pragma once

// Peaks the sampling makes from power elsewhere. Nightly, sidereal and yearly
// sampling repeat power at f to f +- f_w for every strong peak f_w of the
// spectral window; the parent may lie outside the searched range (the long
// periods of a red-noise source under a range of 0.015 to 100 d), where no
// alias note can name it. A peak is noted "sampling" when a parent at
// f + f_w or |f - f_w| (within half a resolution) has more power than the
// peak (a red-noise parent) or than the peak over the square root of the
// window's height h (any other: a real peak's own image is about h times as
// high as it), and h times the parent's power explains at least half of the
// peak's. A peak with several harmonics is noted when the harmonics that are
// images carry half of its fit.

#include "search/PeriodSearch.h"
#include "search/Prepared.h"
#include "search/RedNoise.h"

#include <vector>

namespace varilume::detail {

/// A strong peak of the spectral window of the data.
struct WindowPeak {
    double frequency = 0; // cycles/day
    double height = 0;    // |sum w exp(2 pi i f t)|^2, 1 at f = 0
};

/// Above this height a window peak makes images worth a note.
inline constexpr double StrongWindow = 0.2;

/// The window's peaks near 1 and 2 cycles per solar and sidereal day and
/// one per year, each at its local top, those at least StrongWindow high.
std::vector<WindowPeak> strongWindowPeaks(const Prepared& p);

/// The one-harmonic GLS power's best within half a resolution (0.5/span) of f:
/// from the coarse grid, summed directly only where the grid cannot decide.
double localPower(const Prepared& p, double f);

/// Above this a window peak or parent lies beyond the coarse power's grid.
inline constexpr double WindowReach = 2.1; // cycles/day

/// Where the continuum stands this many times above its white level, a
/// parent is red power (see samplingImage).
inline constexpr double RedParent = 2;

/// True when the power at f (own: the one-harmonic power there) is an image of
/// power elsewhere (see above); the coarse power reaches f + WindowReach; c
/// tells red parents from others.
bool samplingImage(const Prepared& p, const CoarsePower& coarse,
                   const std::vector<WindowPeak>& window, double f, double own, const Continuum& c);

/// Notes "sampling" on the peaks without a note that are images: the peak
/// itself, or one of its harmonics (up to Peak::harmonics) that carries at
/// least half of the power over the continuum c (see RedNoise.h).
void tagSamplingPeaks(std::vector<Peak>& peaks, const Prepared& p, const CoarsePower& coarse,
                      const Continuum& c);

} // namespace varilume::detail
