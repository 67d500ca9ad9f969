#pragma once

// The last step of a finished search: each GLS peak's harmonics and its
// significance against red noise, the images of the sampling noted, and the
// verdict from the best peak.

#include "search/PeriodSearch.h"
#include "search/Prepared.h"

#include <vector>

namespace varilume::detail {

/// Fills Peak::harmonics (GLS with a fixed number), Peak::fapRed and the
/// "sampling" notes, and returns the verdict. PDM and string length have no
/// FAP of their own: their verdict rests on the one-harmonic GLS power at the
/// best peak's frequency.
Verdict assess(std::vector<Peak>& peaks, const Prepared& p, const SearchSettings& s,
               const FrequencyGrid& grid);

} // namespace varilume::detail
