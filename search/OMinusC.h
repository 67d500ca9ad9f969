#pragma once

// O–C: times of maximum (or minimum) measured group by group and compared
// with the ephemeris C = E + P * cycle.
//
// Each group's time comes from fitting the template (the Fourier model of the
// whole light curve at P) shifted in time, plus a magnitude offset, to the
// group's observations: m(t) = template(t - shift) + offset, by non-linear
// least squares; sigma is that of the shift. Groups are the observing seasons
// (split where no observation falls for SeasonGap days), every N cycles, or
// every D days. When a parabola can be fitted, the whole measurement is made
// again (StraighteningPasses times) on times straightened by it, the times a
// constant period would have: a period that changes would otherwise smear the
// template and stretch each season's curve against it, and bias the times.
//
// The O–C values are fitted with a line, O–C = a + b E (the corrected
// ephemeris: E0 = E + a, P = P + b), and a parabola, O–C = a + b E + c E^2.
// With the times of maximum T(E) = E0 + P E + c E^2 the period at cycle E is
// dT/dE = P + 2 c E, so the period changes by dP/dE = 2 c days per cycle;
// one cycle lasts P days, so dP/dt = 2 c / P days per day, and
//     dP/dt = 2 c * 365.25 / P  days per year,  sigma = 2 sigma_c * 365.25 / P,
// with P the period of the linear term at E = 0 (P + b).

#include "search/FourierFit.h"
#include "search/PeriodSearch.h"

#include <cmath>
#include <string>
#include <vector>

namespace varilume {

/// A gap this long (days) ends an observing season: a sixth of a year.
constexpr double SeasonGap = 365.25 / 6;

/// Measurements made again on times straightened by the quadratic ephemeris.
constexpr int StraighteningPasses = 2;

enum class OcGrouping {
    Seasons, // split at gaps longer than SeasonGap
    Cycles,  // every `groupSize` cycles from the epoch
    Days,    // every `groupSize` days from the first observation
};

struct OcSettings {
    double period = 0;   // days
    double epoch = NAN;  // full JD of a maximum; NaN: the template's epoch of maximum
    bool minima = false; // times of minimum brightness instead
    int order = 0;       // of the template; 0: chosen by BIC
    OcGrouping grouping = OcGrouping::Seasons;
    double groupSize = 0;      // cycles or days, with those groupings
    std::size_t minPoints = 5; // a group with fewer observations is left out
    bool useWeights = true;
    int threads = 0;
};

struct OcPoint {
    long long cycle = 0;
    double time = 0;  // observed time of maximum (minimum), full JD
    double oc = 0;    // observed minus computed, days
    double sigma = 0; // of time and oc
    std::size_t points = 0;
};

/// An ephemeris fitted to the O–C values: the linear one (period and epoch
/// corrected) or the quadratic one (rate of period change).
struct Ephemeris {
    bool ok = false;
    std::string reason;
    Estimate epoch;                   // E0, full JD
    Estimate period;                  // days
    Estimate quadratic;               // c of a + b E + c E^2 (days); sigma < 0 for the line
    Estimate dPdt;                    // days per year; sigma < 0 for the line
    std::vector<double> coefficients; // a, b (, c)
    std::vector<double> covariance;
};

struct OcResult {
    bool ok = false;
    std::string reason;
    FourierFit shape; // the template
    double epoch = 0; // of the ephemeris used
    double period = 0;
    std::vector<OcPoint> points; // in time order
    Ephemeris linear, quadratic;
};

/// Measures the times and fits both ephemerides. Needs three groups for the
/// line, four for the parabola (an ephemeris that cannot be had says why):
/// one more than the terms, for the scatter the errors are scaled by.
OcResult measureOC(const SearchData& data, const OcSettings& settings);

/// The weighted (1/sigma^2) fit of o_c = a + b cycle (+ c cycle^2), scaled by
/// the residual variance, and what it means for the ephemeris.
Ephemeris fitEphemeris(const std::vector<OcPoint>& points, double epoch, double period,
                       bool quadratic);

} // namespace varilume
