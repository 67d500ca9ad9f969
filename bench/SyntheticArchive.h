#pragma once

// The synthetic archive the search benchmarks share.
#include "search/PeriodSearch.h"

#include <cmath>
#include <random>

namespace varilume {

// delta Cephei as an archive has it: sparse visual estimates from 1865, more
// of them in the twentieth century, dense CCD photometry in the last decades,
// each night's observations within a few hours, seasons lost to the Sun.
inline SearchData archive() {
    std::mt19937_64 rng(1865);
    std::uniform_real_distribution<double> u(0, 1);
    std::normal_distribution<double> g(0, 1);
    const double start = 2'402'237.5, span = 150 * 365.25, period = 5.366266;
    SearchData d;
    while (d.times.size() < 48'137) {
        // Later decades weigh more: the square root of a uniform leans late.
        const double x = std::sqrt(u(rng));
        const double day = std::floor(x * span);
        if (std::fmod(day, 365.25) > 250) // delta Cep near the Sun
            continue;
        const double t = start + day + 0.3 * u(rng);
        const double ph = (t - start) / period - std::floor((t - start) / period);
        const double shape = ph < 0.2 ? 4.4 - 0.8 * ph / 0.2 : 3.6 + 0.8 * (ph - 0.2) / 0.8;
        const double sigma = x < 0.8 ? 0.15 : 0.01;
        d.times.push_back(t);
        d.mags.push_back(shape + sigma * g(rng));
        d.errors.push_back(sigma);
    }
    return d;
}

} // namespace varilume
