#pragma once

namespace varilume {

/// The range a scale shows for the data's from to to.
struct ShownRange {
    double from, to;
};

/// A range of one value (all magnitudes alike, a JD window of one date) has no
/// scale: it is widened by widen each way, as the extremes of a single
/// observation are (one magnitude, a hundred days).
inline ShownRange shownRange(double from, double to, double widen) {
    if (from == to)
        return {from - widen, to + widen};
    return {from, to};
}

/// Whether magnitude m lies on a strip showing range; the ends of the range
/// are singles, so 15.6 lies on a strip beginning at 15.6f (15.6000004).
inline bool magOnStrip(double m, ShownRange range) {
    constexpr double kSlack = 1e-4;
    return m >= range.from - kSlack && m <= range.to + kSlack;
}

inline constexpr double kWidenMag = 1;
inline constexpr double kWidenJD = 100;

} // namespace varilume
