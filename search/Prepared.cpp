#include "search/Prepared.h"

#include <algorithm>
#include <numeric>

namespace varilume::detail {

Prepared prepare(const SearchData& data, bool weighted) {
    const std::size_t n = std::min(data.times.size(), data.mags.size());
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return data.times[a] < data.times[b]; });
    Prepared p;
    p.t.resize(n);
    p.y.resize(n);
    p.w.resize(n);
    if (n == 0)
        return p;
    p.t0 = data.times[order[0]];
    // The one rule for weights: an error of 0, a negative or a missing one
    // would give an infinite or meaningless weight and NaN everywhere.
    weighted = weighted && weightsUsable(data);
    double wsum = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = order[k];
        // Both near 2,460,000: the difference is exact, so full and reduced JDs
        // give the same relative times.
        p.t[k] = data.times[i] - p.t0;
        p.y[k] = data.mags[i];
        const double e = weighted ? data.errors[i] : 1.0;
        p.w[k] = 1.0 / (e * e);
        wsum += p.w[k];
    }
    p.weightSum = wsum;
    p.weighted = weighted;
    double mean = 0;
    for (std::size_t k = 0; k < n; ++k) {
        p.w[k] /= wsum;
        mean += p.w[k] * p.y[k];
    }
    p.yy = 0;
    for (std::size_t k = 0; k < n; ++k) {
        p.y[k] -= mean;
        p.yy += p.w[k] * p.y[k] * p.y[k];
    }
    p.span = p.t.back();
    return p;
}

} // namespace varilume::detail
