#pragma once

// From a spectrum to the peak list: local best values, refined on the exact
// statistic, with false-alarm probabilities, period errors and alias notes.

#include "search/PeriodSearch.h"
#include "search/Prepared.h"

#include <vector>

namespace varilume::detail {

/// The statistic of the method at one frequency, computed directly.
double statistic(const Prepared& p, const SearchSettings& s, double frequency);

/// Local best values of the grid, best first, at least minSeparation apart.
std::vector<std::size_t> pickPeaks(const Spectrum& spectrum, std::size_t wanted,
                                   double minSeparation);

RefinedPeak refine(const Prepared& p, const SearchSettings& s, double frequency, double halfWidth);

/// Baluev (2008) false-alarm probability of a GLS power z (fraction of the
/// variance explained) for a search up to fmax, with this many harmonics, as
/// its natural logarithm: exact where the probability is far below the
/// smallest double (-inf only for z = 1).
double baluevLogFap(const Prepared& p, double z, double fmax, int harmonics = 1);

/// The same probability; 0 where it is below the smallest double.
double baluevFap(const Prepared& p, double z, double fmax, int harmonics = 1);

/// Montgomery & O'Donoghue (1999) standard error of the period at frequency f.
double periodError(const Prepared& p, int harmonics, double frequency);

/// Alias notes for the peaks, which must be best first.
void tagAliases(std::vector<Peak>& peaks, const Prepared& p, double span);

/// Fills in the peak list of a finished spectrum.
std::vector<Peak> peakList(const Prepared& p, const SearchSettings& s, const Spectrum& spectrum,
                           double span, int threads);

} // namespace varilume::detail
