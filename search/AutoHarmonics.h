#pragma once

// GLS with the number of harmonics chosen by the data: the searches with 1 to
// 4 harmonics each give their candidate periods, and each candidate is judged
// by the Bayesian information criterion of its fit (mean plus H harmonics,
// k = 2H + 1 parameters):
//     BIC = n ln(chi2 / n) + k ln n   unweighted,
//     BIC = chi2 + k ln n             weighted by 1/error^2,
// chi2 being the residual sum of squares (weighted). The lowest BIC comes first.

#include "search/PeriodSearch.h"
#include "search/Prepared.h"

#include <vector>

namespace varilume::detail {

/// The most harmonics a fit of n points may have (at least 1): 2H + 3 <= n.
int autoHarmonicsLimit(std::size_t points);

/// The BIC of the fit with these harmonics that explains the fraction z of the variance.
double harmonicBic(const Prepared& p, int harmonics, double z);

/// One search of the set: its harmonics, spectrum and peak list.
struct HarmonicRun {
    int harmonics = 1;
    Spectrum spectrum;
    std::vector<Peak> peaks;
};

/// The candidates of every run, each period once (within 1/span, the one with
/// the lowest BIC), best BIC first, at most `wanted` of them, ranked and with
/// alias notes. *chosen is the index of the run the best one came from.
std::vector<Peak> chooseHarmonics(const Prepared& p, const std::vector<HarmonicRun>& runs,
                                  std::size_t wanted, std::size_t* chosen);

} // namespace varilume::detail
