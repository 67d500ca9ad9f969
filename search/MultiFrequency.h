#pragma once

// Several frequencies fitted together,
//     m(t) = c + sum_j [a_j cos 2 pi f_j (t - tm) + b_j sin 2 pi f_j (t - tm)],
// every frequency free (non-linear least squares from the periodogram's
// estimates), and successive prewhitening: fit, subtract, search the
// residuals with the period search, add the best frequency, fit all again.
//
// Each frequency's amplitude and phase are those of A sin(2 pi f (t - tm) + phi),
// tm the middle of the data, phi in [0, 2 pi). Its signal-to-noise ratio is
// the amplitude over the mean of the residuals' amplitude spectrum,
// 2 |sum w r exp(-2 pi i nu t)| / sum w, over nu within SnrBox / 2 of it
// (Breger et al. 1993 use 4 as the threshold of an intrinsic frequency).

#include "search/FourierFit.h"
#include "search/PeriodSearch.h"

#include <string>
#include <vector>

namespace varilume {

/// Width of the box (cycles/day) the noise of the SNR is taken over.
constexpr double SnrBox = 2.0;

struct FrequencyTerm {
    Estimate frequency; // cycles/day
    Estimate period;    // days
    Estimate amplitude; // magnitudes (half the peak to peak of the sinusoid)
    Estimate phase;     // radians, [0, 2 pi), at tm
    double snr = 0;
    std::string note; // a combination of earlier terms: "2f1", "f1+f2", "2f1-f2"; else empty
};

struct MultiFrequencyFit {
    bool ok = false;
    std::string reason;
    double tm = 0;
    Estimate mean;
    std::vector<FrequencyTerm> terms;
    double rms = 0;
    std::vector<double> params;     // c, a_1, b_1, ..., a_N, b_N, f_1, ..., f_N
    std::vector<double> covariance; // over params, row-major
    std::vector<double> residuals;  // observed minus model, in the order of the input
};

/// Fits the frequencies together from the start values, each free within
/// one resolution step (1 / span) of its start.
MultiFrequencyFit fitFrequencies(const SearchData& data, const std::vector<double>& start,
                                 bool useWeights = true, int threads = 0);

/// The model's periodic part (without c) at time t.
double multiFrequencyModel(const MultiFrequencyFit& fit, double t);

/// The data less the fitted terms (mean kept).
SearchData subtractTerms(const SearchData& data, const MultiFrequencyFit& fit);

/// One prewhitening step: search the residuals of `fit` (or the data, when
/// fit has no terms) and fit the frequency found together with fit's.
MultiFrequencyFit prewhitenStep(const SearchData& data, const MultiFrequencyFit& fit,
                                const SearchSettings& search);

/// `count` steps from nothing, then the notes and SNRs.
MultiFrequencyFit prewhiten(const SearchData& data, int count, const SearchSettings& search);

/// Marks terms that are, within `resolution` (cycles/day), a harmonic or a
/// low-order combination (|n1| + |n2| <= 3) of earlier ones.
void tagCombinations(std::vector<FrequencyTerm>& terms, double resolution);

/// Fills each term's SNR from the fit's residuals.
void computeSnr(const SearchData& data, MultiFrequencyFit& fit, bool useWeights = true);

} // namespace varilume
