#include "search/Assess.h"

#include "search/Gls.h"
#include "search/Peaks.h"
#include "search/RedNoise.h"
#include "search/SamplingPeaks.h"

namespace varilume::detail {

Verdict assess(std::vector<Peak>& peaks, const Prepared& p, const SearchSettings& s,
               const FrequencyGrid& grid) {
    const bool gls = s.method == SearchMethod::Gls;
    for (Peak& peak : peaks)
        if (gls && peak.harmonics == 0)
            peak.harmonics = s.harmonics;
    const Continuum continuum = setRedNoiseFaps(peaks, p, grid);
    tagSamplingPeaks(peaks, p, continuum);
    for (Peak& peak : peaks) {
        const double fap =
            gls ? peak.fap : baluevFap(p, glsPowerAt(p, 1, peak.frequency), grid.fmax(), 1);
        peak.verdict = verdictOf(fap, peak.fapRed, peak.note == "sampling");
    }
    return peaks.empty() ? Verdict::NotSignificant : peaks.front().verdict;
}

} // namespace varilume::detail
