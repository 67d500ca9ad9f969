#pragma once

// Each method's statistic over the grid and at one frequency, found through one
// table: the run, the peak refinement and the narrow refine windows all ask it
// instead of choosing by method themselves.

#include "search/PeriodSearch.h"
#include "search/Prepared.h"

#include <cstddef>
#include <memory>

namespace varilume::detail {

/// A statistic over the grid, one unit of work (a run of frequencies) at a time.
class GridWork {
public:
    virtual ~GridWork() = default;
    /// Frequencies in one unit of work.
    virtual std::size_t unit() const = 0;
    /// Values at grid.frequency(k) for k in [k0, k1) into out[k - k0]; k1 - k0 <= unit().
    /// Safe to call from several threads at once.
    virtual void compute(std::size_t k0, std::size_t k1, double* out) const = 0;
    /// GLS with 1, 2, ... harmonics from one set of sums (the work of
    /// makeLevelsWork): outs[h - 1][k - k0]. Other work fills outs[0] alone.
    virtual void computeLevels(std::size_t k0, std::size_t k1, double* const* outs) const {
        compute(k0, k1, outs[0]);
    }
    /// True when the sums come from the non-uniform FFT.
    virtual bool usesFft() const { return false; }
};

/// The method's statistic over the grid. p and grid must outlive it; threads
/// is how many will call compute() at once.
std::unique_ptr<GridWork> makeGridWork(const Prepared& p, const SearchSettings& s,
                                       const FrequencyGrid& grid, unsigned threads);

/// GLS with 1 to `levels` harmonics at once, for computeLevels(): the sums of
/// the most harmonics hold those of the fewer.
std::unique_ptr<GridWork> makeLevelsWork(const Prepared& p, const SearchSettings& s,
                                         const FrequencyGrid& grid, unsigned threads, int levels);

/// The spectral window |sum w exp(2 pi i f t)|^2 over the grid.
std::unique_ptr<GridWork> makeWindowWork(const Prepared& p, const SearchSettings& s,
                                         const FrequencyGrid& grid, unsigned threads);

} // namespace varilume::detail
