#include "search/StringLength.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace varilume::detail {

namespace {

class StringWork {
public:
    explicit StringWork(const Prepared& p) : t_(p.t), n_(p.size()) {
        y_.resize(n_);
        const auto [lo, hi] = std::minmax_element(p.y.begin(), p.y.end());
        const double range = n_ ? *hi - *lo : 0;
        for (std::size_t i = 0; i < n_; ++i)
            y_[i] = range > 0 ? (p.y[i] - *lo) / (2 * range) - 0.25 : 0;
        phase_.resize(n_);
        bucket_.resize(n_);
        start_.resize(n_ + 1);
        sortedPhase_.resize(n_);
        sortedY_.resize(n_);
    }

    double at(double f) {
        if (n_ < 2)
            return 0;
        const double buckets = static_cast<double>(n_);
        std::fill(start_.begin(), start_.end(), 0u);
        for (std::size_t i = 0; i < n_; ++i) {
            const double turns = f * t_[i];
            const double ph = turns - std::floor(turns);
            phase_[i] = ph;
            const auto b = std::min<std::uint32_t>(static_cast<std::uint32_t>(ph * buckets),
                                                   static_cast<std::uint32_t>(n_ - 1));
            bucket_[i] = b;
            ++start_[b + 1];
        }
        for (std::size_t b = 1; b <= n_; ++b)
            start_[b] += start_[b - 1];
        for (std::size_t i = 0; i < n_; ++i) {
            const std::uint32_t at = start_[bucket_[i]]++;
            sortedPhase_[at] = phase_[i];
            sortedY_[at] = y_[i];
        }
        // Buckets hold about one point each: an insertion pass finishes the order.
        for (std::size_t i = 1; i < n_; ++i) {
            const double ph = sortedPhase_[i], yv = sortedY_[i];
            std::size_t j = i;
            while (j > 0 && sortedPhase_[j - 1] > ph) {
                sortedPhase_[j] = sortedPhase_[j - 1];
                sortedY_[j] = sortedY_[j - 1];
                --j;
            }
            sortedPhase_[j] = ph;
            sortedY_[j] = yv;
        }
        double length = 0;
        for (std::size_t i = 1; i < n_; ++i) {
            const double dy = sortedY_[i] - sortedY_[i - 1];
            const double dp = sortedPhase_[i] - sortedPhase_[i - 1];
            length += std::sqrt(dy * dy + dp * dp);
        }
        // Closing the loop: from the last point to the first one, a cycle on.
        const double dy = sortedY_[0] - sortedY_[n_ - 1];
        const double dp = sortedPhase_[0] + 1 - sortedPhase_[n_ - 1];
        return length + std::sqrt(dy * dy + dp * dp);
    }

private:
    const std::vector<double>& t_;
    std::size_t n_;
    std::vector<double> y_, phase_, sortedPhase_, sortedY_;
    std::vector<std::uint32_t> bucket_, start_;
};

} // namespace

void stringGrid(const Prepared& p, const FrequencyGrid& grid, std::size_t k0, std::size_t k1,
                double* out) {
    StringWork work(p);
    for (std::size_t k = k0; k < k1; ++k)
        out[k - k0] = work.at(grid.frequency(k));
}

double stringLengthAt(const Prepared& p, double frequency) {
    StringWork work(p);
    return work.at(frequency);
}

} // namespace varilume::detail
