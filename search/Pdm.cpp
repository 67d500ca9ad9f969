#include "search/Pdm.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace varilume::detail {

namespace {

constexpr std::size_t Block = 512;
// Copies of the bin sums, taken in turn, so that neighbours in time (usually
// neighbours in phase) do not wait on each other's stores.
constexpr std::size_t Copies = 4;

struct PdmWork {
    int fine = 0;
    int covers = 0;
    double total = 0; // sum y^2 (y less its mean)
    double variance = 0;
    std::vector<std::int32_t> index;
    std::vector<double> count, sum;
};

// Fine-bin index of each point of a block at frequency f.
[[gnu::always_inline]] inline void binIndex(const double* t, std::size_t n, double f, double fine,
                                            std::int32_t* out) {
    for (std::size_t i = 0; i < n; ++i) {
        const double turns = f * t[i];
        const double phase = turns - std::floor(turns);
        out[i] = static_cast<std::int32_t>(phase * fine);
    }
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
[[gnu::target("avx2,fma")]] void binIndexWide(const double* t, std::size_t n, double f, double fine,
                                              std::int32_t* out) {
    binIndex(t, n, f, fine, out);
}
#define VL_HAVE_WIDE 1
#endif

void binIndexBase(const double* t, std::size_t n, double f, double fine, std::int32_t* out) {
    binIndex(t, n, f, fine, out);
}

double thetaFrom(const PdmWork& w, const double* count, const double* sum, std::size_t n) {
    // Each cover bin is a run of `covers` fine bins, starting at every fine bin.
    double explained = 0, used = 0;
    for (int start = 0; start < w.fine; ++start) {
        double c = 0, s = 0;
        for (int j = 0; j < w.covers; ++j) {
            const int b = (start + j) % w.fine;
            c += count[b];
            s += sum[b];
        }
        if (c > 0) {
            explained += s * s / c;
            used += 1;
        }
    }
    const double dof = static_cast<double>(w.covers) * static_cast<double>(n) - used;
    if (dof <= 0 || w.variance <= 0)
        return 1;
    const double within = (w.covers * w.total - explained) / dof;
    return std::max(0.0, within / w.variance);
}

PdmWork makeWork(const Prepared& p, PdmShape shape) {
    PdmWork w;
    w.covers = std::max(1, shape.covers);
    w.fine = std::max(2, shape.bins) * w.covers;
    // Unweighted: y is centred on the weighted mean, so take the plain mean out
    // for the variance (the within-bin sums do not depend on it).
    double s = 0;
    for (double y : p.y) {
        w.total += y * y;
        s += y;
    }
    const double n = static_cast<double>(p.size());
    w.variance = p.size() > 1 ? (w.total - s * s / n) / (n - 1) : 0;
    return w;
}

} // namespace

void pdmGrid(const Prepared& p, PdmShape shape, const FrequencyGrid& grid, std::size_t k0,
             std::size_t k1, double* out) {
    PdmWork w = makeWork(p, shape);
    const std::size_t n = p.size();
    const std::size_t fine = static_cast<std::size_t>(w.fine);
    std::vector<std::int32_t> index(std::min(n, Block));
    std::vector<double> count(Copies * fine), sum(Copies * fine);
    auto* bin = &binIndexBase;
#ifdef VL_HAVE_WIDE
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        bin = &binIndexWide;
#endif
    for (std::size_t k = k0; k < k1; ++k) {
        const double f = grid.frequency(k);
        std::fill(count.begin(), count.end(), 0.0);
        std::fill(sum.begin(), sum.end(), 0.0);
        for (std::size_t b0 = 0; b0 < n; b0 += Block) {
            const std::size_t nb = std::min(Block, n - b0);
            bin(p.t.data() + b0, nb, f, static_cast<double>(fine), index.data());
            const double* y = p.y.data() + b0;
            for (std::size_t i = 0; i < nb; ++i) {
                const std::size_t slot =
                    (i % Copies) * fine + std::min<std::size_t>(index[i], fine - 1);
                count[slot] += 1;
                sum[slot] += y[i];
            }
        }
        for (std::size_t c = 1; c < Copies; ++c)
            for (std::size_t b = 0; b < fine; ++b) {
                count[b] += count[c * fine + b];
                sum[b] += sum[c * fine + b];
            }
        out[k - k0] = thetaFrom(w, count.data(), sum.data(), n);
    }
}

double pdmThetaAt(const Prepared& p, PdmShape shape, double f) {
    PdmWork w = makeWork(p, shape);
    std::vector<double> count(w.fine), sum(w.fine);
    for (std::size_t i = 0; i < p.size(); ++i) {
        const double turns = f * p.t[i];
        const int b = std::min(w.fine - 1, static_cast<int>((turns - std::floor(turns)) * w.fine));
        count[b] += 1;
        sum[b] += p.y[i];
    }
    return thetaFrom(w, count.data(), sum.data(), p.size());
}

} // namespace varilume::detail
