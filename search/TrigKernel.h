#pragma once

// The weighted trig sums that the Lomb–Scargle power and the spectral window
// need at every grid frequency, behind one interface with two kernels: the
// rotation recurrence (cost N per frequency) and the non-uniform FFT (cost
// about log M per frequency, plus N per unit of work). Each kernel has its own
// unit of work: the frequencies one thread computes at a time.

#include "search/Kernels.h"
#include "search/PeriodSearch.h"

#include <cstddef>
#include <memory>

namespace varilume::detail {

using SumsDone = std::function<void(std::size_t, const TrigSums&)>;

class TrigKernel {
public:
    virtual ~TrigKernel() = default;
    /// Frequencies in one unit of work.
    virtual std::size_t unit() const = 0;
    /// Calls done(k, sums) for each k in [k0, k1), in order; k1 - k0 <= unit().
    /// Safe to call from several threads at once.
    virtual void sums(std::size_t k0, std::size_t k1, const SumsDone& done) const = 0;
    virtual bool usesFft() const = 0;
};

/// What the sums are for: the power with this many harmonics, or (window) the
/// spectral window, which needs sum w exp(i x) alone.
struct SumsNeed {
    int harmonics = 1;
    bool window = false;
};

/// The kernel for this grid: by cost (N M against M log M) when path is Auto.
/// p and grid must outlive it; threads is how many will call sums() at once;
/// measureFft as SearchSettings::measureFft.
std::unique_ptr<TrigKernel> makeTrigKernel(const Prepared& p, SumsNeed need,
                                           const FrequencyGrid& grid, SumsPath path,
                                           unsigned threads, bool measureFft = false);

/// Frequencies per unit of work of the NUFFT kernel for this need and this many
/// observations (a segment, each its own transform): long enough that spreading
/// the points costs little beside the FFT, short enough that the segments in
/// flight stay well under 1 GB and every thread gets one.
std::size_t nufftSegment(SumsNeed need, std::size_t points, std::size_t gridCount,
                         unsigned threads);

} // namespace varilume::detail
