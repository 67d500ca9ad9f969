#pragma once

#include <cstddef>
#include <span>
#include <utility>
#include <vector>

namespace varilume {

/// A run of grid indices [first, last).
using IndexRange = std::pair<std::size_t, std::size_t>;

/// The least and greatest value of a long trace in blocks of kBlock values,
/// so that a picture of eleven million frequencies costs a pass over some ten
/// thousand blocks and the values at the columns' ends, not over every value.
/// NaN (not computed yet) is skipped.
class SpectrumBlocks {
public:
    static constexpr std::size_t kBlock = 1024;

    /// Every block from the values.
    void rebuild(std::span<const double> values);
    /// Only the blocks that overlap the ranges changed (a poll of a growing run).
    /// Values of another length than before are a fresh start: NaN outside changed.
    void update(std::span<const double> values, std::span<const IndexRange> changed);
    /// A run's end: the blocks that still held a NaN at their last scan take
    /// their values from final (the values already shown are final) and are
    /// summarised again. Any other length: values becomes final, rebuilt.
    void completeFrom(std::vector<double>& values, std::span<const double> final);
    /// Blocks of a trace of this length exist (the summary may be used for it).
    bool covers(std::size_t size) const { return size_ == size && size_ > 0; }

    /// The range of values[first, last), whole blocks from the summary;
    /// min > max when no value is known there.
    std::pair<double, double> range(std::span<const double> values, std::size_t first,
                                    std::size_t last) const;

private:
    void scan(std::span<const double> values, std::size_t block);
    void reset(std::size_t size);

    std::size_t size_ = 0;
    std::vector<double> min_, max_;
    std::vector<char> complete_; // no NaN left in the block
};

} // namespace varilume
