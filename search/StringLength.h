#pragma once

// String length (Dworetsky 1983): the length of the line through the folded
// points in phase order, magnitudes scaled to a range of one half; lower is
// better. The phase order comes from a bucket sort, linear in the points.

#include "search/Prepared.h"

#include <cstddef>

namespace varilume::detail {

void stringGrid(const Prepared& p, const FrequencyGrid& grid, std::size_t k0, std::size_t k1,
                double* out);

double stringLengthAt(const Prepared& p, double frequency);

} // namespace varilume::detail
