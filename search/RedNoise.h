#pragma once

// Significance against red noise. Stochastic sources (quasars, young stars,
// red giants) have power that rises toward low frequencies; against white
// noise their highest peak looks certain. The model:
//
//  - the one-harmonic GLS power P(f) at a coarse set of frequencies from
//    1/span (below the searched range too) to the top of the search, spaced
//    by 2 % or 1/span, whichever is wider, each moved to the nearest multiple
//    of 0.5/span (the coarse grid all of them come from, by the same sums as
//    the search: a whole grid costs less than a few hundred direct sums);
//  - a damped random walk's spectrum plus a white level,
//        S(f) = c (r / (1 + (f/f0)^2) + 1),
//    fitted by Whittle's likelihood (each P(f)/S(f) an exponential variable of
//    mean 1): sum ln S + P/S is least; c follows in closed form, f0 and r by a
//    grid in logarithms and a Nelder–Mead polish; points whose P/S exceeds
//    ClipRatio (unlikely under the model: a signal) are dropped and the fit
//    redone, up to ClipRounds times;
//  - a peak with H harmonics at f: T_k = sum_{h=1..k} P(h f) / S(h f) is a
//    gamma variable of shape k, with tail Q_k = exp(-T_k) sum_{j<k} T_k^j / j!;
//    the single-frequency probability is p = min(1, H min_k Q_k) (the k that
//    makes the peak least likely, paid for by the H tries), and over the
//    searched band's independent frequencies N = (fmax - fmin) span:
//        fap_red = 1 - (1 - p)^N.

#include "search/PeriodSearch.h"
#include "search/Prepared.h"

#include <vector>

namespace varilume::detail {

struct Continuum {
    bool ok = false;
    double scale = 0;     // c
    double ratio = 0;     // r: the red part's height over the white level at f = 0
    double corner = 0;    // f0, cycles/day
    std::size_t used = 0; // frequencies in the final fit
    double at(double f) const { return scale * (ratio / (1 + (f / corner) * (f / corner)) + 1); }
};

/// Above this P/S a point is taken for a signal, not for the continuum.
inline constexpr double ClipRatio = 10;
inline constexpr int ClipRounds = 3;

/// The one-harmonic GLS power on the grid 0.5/span, 1/span, ... up to top.
struct CoarsePower {
    FrequencyGrid grid;
    std::vector<double> values;
    /// The grid index nearest to f (clamped to the grid).
    std::size_t index(double f) const;
    /// The largest value within half a resolution (0.5/span) of f.
    double near(double f) const;
};
/// threads: how many share the grid's units of work (0: every core);
/// measureFft as SearchSettings::measureFft.
CoarsePower coarsePower(const Prepared& p, double top, int threads = 1, bool measureFft = false);

/// The frequencies the continuum is fitted on, from 1/span to fmax, before
/// they are moved to the coarse grid.
std::vector<double> continuumFrequencies(double span, double fmax);

/// Fits the continuum on continuumFrequencies(p.span, fmax) on the coarse
/// grid, less those within 2/span of any of the excluded frequencies.
Continuum fitContinuum(const Prepared& p, const CoarsePower& coarse, double fmax,
                       const std::vector<double>& excluded);
/// The same with a coarse grid of its own up to fmax.
Continuum fitContinuum(const Prepared& p, double fmax, const std::vector<double>& excluded);

/// The red-noise false-alarm probability of a peak at f with these harmonics,
/// over a search band of this many independent frequencies; -1 without a continuum.
double redNoiseFap(const Prepared& p, const Continuum& c, double frequency, int harmonics,
                   double independent);

/// P(f) / S(f): the one-harmonic power over the continuum; 0 without one.
double continuumRatio(const Prepared& p, const Continuum& c, double frequency);

/// fapRed of every peak (harmonics from each, 1 where 0), the continuum
/// fitted on the coarse power; returns the continuum.
Continuum setRedNoiseFaps(std::vector<Peak>& peaks, const Prepared& p, const CoarsePower& coarse,
                          const FrequencyGrid& grid);

} // namespace varilume::detail
