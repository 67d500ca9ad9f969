#pragma once

// The observations as the model fits use them: times from the middle of the
// data (so the columns stay nearly orthogonal and no phase carries the
// rounding of JD 2,460,000) and square roots of the weights.

#include "search/PeriodSearch.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace varilume::detail {

struct FitPoints {
    std::vector<double> x;  // t - tm, days
    std::vector<double> y;  // magnitude
    std::vector<double> sw; // sqrt(weight): 1 / error, or 1
    double tm = 0, span = 0, wsum = 0;
    bool weighted = false;
    std::size_t size() const { return x.size(); }
};

/// Reads the data; weighted when asked and every error is positive. Returns
/// the reason the data cannot be fitted, or empty.
std::string readFitPoints(const SearchData& data, bool useWeights, FitPoints& points);

constexpr double TwoPi = 2 * std::numbers::pi;

/// 2 pi times the fraction of f x: the whole turns would only add rounding.
inline double turnAngle(double f, double x) {
    const double turns = f * x;
    return TwoPi * (turns - std::floor(turns));
}

/// An angle in [0, 2 pi).
inline double wrapAngle(double a) {
    a = std::fmod(a, TwoPi);
    return a < 0 ? a + TwoPi : a;
}

} // namespace varilume::detail
