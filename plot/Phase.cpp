#include "plot/Phase.h"

#include "canvas/Parallel.h"

#include <array>
#include <vector>

namespace varilume {

namespace {

// Fewer dates than this per band are phased faster by one thread alone.
constexpr std::size_t kMinPhasesPerBand = 16384;

} // namespace

PhaseBatch phasesOf(const PhaseRule& rule, std::span<const double> jd, std::span<float> out) {
    const std::size_t n = std::min(jd.size(), out.size());
    const int count = parallel::pieceCount(n, kMinPhasesPerBand);
    // Each band stops at its first failure; the batch ends at the earliest one.
    std::vector<PhaseBatch> ends(static_cast<std::size_t>(count));
    parallel::run(count, [&](int b) {
        const auto [first, end] = parallel::slice(n, b, count);
        PhaseBatch& e = ends[static_cast<std::size_t>(b)];
        std::size_t i = first;
        e.done = i;
        if (i == end)
            return;
        if (rule.period == 0) {
            try {
                rule(jd[i]); // the rule's own error for a period of 0
            } catch (const PhaseError& error) {
                e.error = error.description();
            }
            e.done = i;
            return;
        }
        // Cycle counts first, in a loop of divisions the compiler can pair up,
        // then the folding: the same arithmetic as the rule, value for value.
        std::array<double, 1024> x;
        while (i < end) {
            const std::size_t m = std::min(x.size(), end - i);
            for (std::size_t k = 0; k < m; ++k)
                x[k] = (jd[i + k] - rule.midJD) / rule.period;
            for (std::size_t k = 0; k < m; ++k, ++i) {
                if (!std::isfinite(x[k])) {
                    e.error = PhaseError("Overflow").description();
                    e.done = i;
                    return;
                }
                out[i] = rule.fold(x[k]);
            }
        }
        e.done = i;
    });
    for (const PhaseBatch& e : ends) {
        if (!e.error.isEmpty())
            return e;
    }
    return {n, QString()};
}

float PhaseOf(const ProjectState& s, double jd) {
    return PhaseRule(s)(jd);
}

void SetMidJD(ProjectState& s) {
    s.MidJD = s.JDFrom + (s.JDTo - s.JDFrom) / 2;
}

} // namespace varilume
