#pragma once

// The observations as the kernels want them: times relative to the first one,
// magnitudes less their weighted mean, weights summing to one.

#include "search/PeriodSearch.h"

#include <vector>

namespace varilume::detail {

struct Prepared {
    std::vector<double> t; // days since t0
    std::vector<double> y; // magnitude minus weighted mean
    std::vector<double> w; // weights, sum 1
    double t0 = 0;
    double yy = 0; // sum w y^2 (weighted variance)
    double span = 0;
    double weightSum = 0;  // the weights before scaling: n, or sum 1/error^2
    bool weighted = false; // by 1/error^2
    std::size_t size() const { return t.size(); }
};

/// Sorted by time; weights only when asked and weightsUsable(data).
Prepared prepare(const SearchData& data, bool weighted);

} // namespace varilume::detail
