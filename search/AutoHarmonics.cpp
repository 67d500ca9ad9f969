#include "search/AutoHarmonics.h"

#include "search/Gls.h"
#include "search/Peaks.h"

#include <algorithm>
#include <cmath>

namespace varilume::detail {

int autoHarmonicsLimit(std::size_t points) {
    const int n = static_cast<int>(std::min<std::size_t>(points, 1000));
    return std::clamp((n - 3) / 2, 1, MaxHarmonics);
}

std::vector<Peak> chooseHarmonics(const Prepared& p, const std::vector<HarmonicRun>& runs,
                                  std::size_t wanted, std::size_t* chosen) {
    struct Candidate {
        Peak peak;
        double logFap;
        std::size_t run;
    };
    std::vector<Candidate> all;
    for (std::size_t r = 0; r < runs.size(); ++r)
        for (Peak peak : runs[r].peaks) {
            peak.harmonics = runs[r].harmonics;
            all.push_back(
                {peak, baluevLogFap(p, peak.power, runs[r].spectrum.grid.fmax(), peak.harmonics),
                 r});
        }
    // Fewer harmonics first among equals: the simpler model wins a tie.
    std::stable_sort(all.begin(), all.end(), [](const Candidate& a, const Candidate& b) {
        return a.logFap < b.logFap || (a.logFap == b.logFap && a.peak.harmonics < b.peak.harmonics);
    });
    std::vector<Peak> out;
    if (chosen)
        *chosen = all.empty() ? 0 : all.front().run;
    for (const Candidate& c : all) {
        if (out.size() >= wanted)
            break;
        const bool apart = std::none_of(out.begin(), out.end(), [&](const Peak& q) {
            return std::abs(q.frequency - c.peak.frequency) < 1 / p.span;
        });
        if (apart)
            out.push_back(c.peak);
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i].rank = static_cast<int>(i + 1);
        out[i].note.clear();
    }
    tagAliases(out, p, p.span);
    return out;
}

} // namespace varilume::detail
