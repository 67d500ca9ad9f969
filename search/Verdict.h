#pragma once

// One word on a search: is the best peak a period, the red noise of a
// stochastic source, or nothing the data can tell from noise?

#include <string_view>

namespace varilume {

enum class Verdict { Periodic, RedNoise, NotSignificant };

/// "periodic", "red noise", "not significant".
std::string_view verdictText(Verdict verdict);

/// Below this a false-alarm probability counts as significant.
inline constexpr double VerdictAlpha = 0.01;

/// Periodic: significant against white noise (fap) and against the red-noise
/// continuum (fapRed), and no image of power elsewhere (sampling); RedNoise:
/// significant against white noise only; otherwise NotSignificant. A
/// probability below 0 (none computed) is not significant.
Verdict verdictOf(double fap, double fapRed, bool sampling);

} // namespace varilume
