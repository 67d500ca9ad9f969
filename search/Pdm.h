#pragma once

// Phase dispersion minimisation (Stellingwerf 1978): theta, the pooled
// variance within phase bins over the total variance; 1 for no period, lower
// is better. Bins of every cover are unions of equal fine bins, so each point
// is binned once per frequency whatever the number of covers.

#include "search/Prepared.h"

#include <cstddef>

namespace varilume::detail {

struct PdmShape {
    int bins = 10;
    int covers = 2;
};

void pdmGrid(const Prepared& p, PdmShape shape, const FrequencyGrid& grid, std::size_t k0,
             std::size_t k1, double* out);

double pdmThetaAt(const Prepared& p, PdmShape shape, double frequency);

} // namespace varilume::detail
