#include "search/Assess.h"

#include "search/Gls.h"
#include "search/Peaks.h"
#include "search/RedNoise.h"
#include "search/SamplingPeaks.h"

#include <algorithm>

namespace varilume::detail {

Verdict assess(std::vector<Peak>& peaks, const Prepared& p, const SearchSettings& s,
               const FrequencyGrid& grid) {
    const bool gls = s.method == SearchMethod::Gls;
    for (Peak& peak : peaks)
        if (gls && peak.harmonics == 0)
            peak.harmonics = s.harmonics;
    // One coarse grid of the one-harmonic power serves the continuum and the
    // parents of images, up to the highest harmonic's parent.
    int most = 1;
    for (const Peak& peak : peaks)
        most = std::max(most, peak.harmonics);
    const CoarsePower coarse =
        coarsePower(p, most * grid.fmax() + WindowReach, s.threads, s.measureFft);
    const Continuum continuum = setRedNoiseFaps(peaks, p, coarse, grid);
    tagSamplingPeaks(peaks, p, coarse, continuum);
    for (Peak& peak : peaks) {
        const double fap =
            gls ? peak.fap : baluevFap(p, glsPowerAt(p, 1, peak.frequency), grid.fmax(), 1);
        peak.verdict = verdictOf(fap, peak.fapRed, peak.note == "sampling");
    }
    return peaks.empty() ? Verdict::NotSignificant : peaks.front().verdict;
}

} // namespace varilume::detail
