#pragma once

// Seeded synthetic light curves with known periods, for the search tests.

#include "search/PeriodSearch.h"

#include <QString>
#include <cmath>
#include <numbers>
#include <random>

namespace varilume::synthetic {

/// Times: nights (one observation a night near the same hour) or random
/// moments, in seasons; the shape gives the magnitude at a phase in [0, 1).
struct Sampling {
    double start = 2'460'000;
    int nights = 300;      // nights covered
    double fraction = 1;   // share of the nights observed
    int seasonDays = 0;    // 0: no seasonal gaps; else observed days a year
    bool sameHour = false; // nightly gaps: every observation near one hour
    int perNight = 1;
};

inline double pi2() {
    return 2 * std::numbers::pi;
}

template <typename Shape>
SearchData make(const Sampling& s, Shape shape, double noise, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    std::normal_distribution<double> g(0, 1);
    SearchData d;
    for (int night = 0; night < s.nights; ++night) {
        if (s.seasonDays > 0 && std::fmod(night, 365.25) >= s.seasonDays)
            continue;
        if (u(rng) >= s.fraction)
            continue;
        for (int k = 0; k < s.perNight; ++k) {
            const double hour = s.sameHour ? 0.1 * u(rng) : u(rng);
            const double t = s.start + night + hour;
            d.times.push_back(t);
            d.mags.push_back(shape(t) + noise * g(rng));
            d.errors.push_back(noise > 0 ? noise : 0.01);
        }
    }
    return d;
}

inline double frac(double x) {
    return x - std::floor(x);
}

} // namespace varilume::synthetic
