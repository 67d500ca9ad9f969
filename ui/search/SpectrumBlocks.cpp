#include "ui/search/SpectrumBlocks.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace varilume {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Comparisons that NaN fails both of, so values not computed yet are skipped.
void widen(double v, double& mn, double& mx) {
    if (v < mn)
        mn = v;
    if (v > mx)
        mx = v;
}

} // namespace

void SpectrumBlocks::scan(std::span<const double> values, std::size_t block) {
    const std::size_t first = block * kBlock;
    const std::size_t last = std::min(first + kBlock, values.size());
    double mn = kInf, mx = -kInf;
    bool complete = true;
    for (std::size_t i = first; i < last; ++i) {
        const double v = values[i];
        complete = complete && !std::isnan(v);
        widen(v, mn, mx);
    }
    min_[block] = mn;
    max_[block] = mx;
    complete_[block] = complete ? 1 : 0;
}

void SpectrumBlocks::reset(std::size_t size) {
    size_ = size;
    const std::size_t blocks = (size_ + kBlock - 1) / kBlock;
    min_.assign(blocks, kInf);
    max_.assign(blocks, -kInf);
    complete_.assign(blocks, 0);
}

void SpectrumBlocks::rebuild(std::span<const double> values) {
    reset(values.size());
    for (std::size_t b = 0; b < complete_.size(); ++b)
        scan(values, b);
}

void SpectrumBlocks::update(std::span<const double> values, std::span<const IndexRange> changed) {
    if (values.size() != size_)
        reset(values.size()); // all NaN but what changed
    for (const auto& [first, last] : changed) {
        if (first >= last || first >= size_)
            continue;
        const std::size_t end = std::min(last, size_);
        for (std::size_t b = first / kBlock; b <= (end - 1) / kBlock; ++b)
            scan(values, b);
    }
}

void SpectrumBlocks::completeFrom(std::vector<double>& values, std::span<const double> final) {
    if (values.size() != size_ || final.size() != size_) {
        values.assign(final.begin(), final.end());
        rebuild(values);
        return;
    }
    for (std::size_t b = 0; b < complete_.size(); ++b)
        if (!complete_[b]) {
            const std::size_t first = b * kBlock;
            const std::size_t last = std::min(first + kBlock, size_);
            std::copy(final.begin() + static_cast<std::ptrdiff_t>(first),
                      final.begin() + static_cast<std::ptrdiff_t>(last),
                      values.begin() + static_cast<std::ptrdiff_t>(first));
            scan(values, b);
        }
}

std::pair<double, double> SpectrumBlocks::range(std::span<const double> values, std::size_t first,
                                                std::size_t last) const {
    double mn = kInf, mx = -kInf;
    last = std::min(last, values.size());
    std::size_t i = first;
    // The part before the first whole block, the whole blocks, then the rest.
    for (; i < last && i % kBlock != 0; ++i)
        widen(values[i], mn, mx);
    if (covers(values.size()))
        for (; i + kBlock <= last; i += kBlock) {
            const std::size_t b = i / kBlock;
            if (min_[b] <= max_[b]) { // a block with nothing computed yet has none
                widen(min_[b], mn, mx);
                widen(max_[b], mn, mx);
            }
        }
    for (; i < last; ++i)
        widen(values[i], mn, mx);
    return {mn, mx};
}

} // namespace varilume
