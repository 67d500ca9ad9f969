#pragma once

// GLS with the number of harmonics chosen by the data: the spectra with 1 to
// 4 harmonics each give their candidate periods, and each candidate is judged
// by its false-alarm probability with its own harmonics (Baluev's, as in the
// peak list). That is a penalised likelihood like the BIC, but it pays for the
// frequencies searched as well as for the 2H + 1 parameters: the highest
// noise peak of a fit with more harmonics is higher, and the BIC does not
// know it. On simulated survey stars it finds the period of weak eclipsing
// binaries more often, and the list's order agrees with its FAP column. The
// lowest probability comes first; fewer harmonics win a tie (two peaks both
// at FAP 1, say).

#include "search/PeriodSearch.h"
#include "search/Prepared.h"

#include <vector>

namespace varilume::detail {

/// The most harmonics a fit of n points may have (at least 1): 2H + 3 <= n.
int autoHarmonicsLimit(std::size_t points);

/// One search of the set: its harmonics, spectrum and peak list.
struct HarmonicRun {
    int harmonics = 1;
    Spectrum spectrum;
    std::vector<Peak> peaks;
};

/// The candidates of every run, each period once (within 1/span, the one with
/// the lowest FAP), lowest first, at most `wanted` of them, ranked and with
/// alias notes. *chosen is the index of the run the best one came from.
std::vector<Peak> chooseHarmonics(const Prepared& p, const std::vector<HarmonicRun>& runs,
                                  std::size_t wanted, std::size_t* chosen);

} // namespace varilume::detail
