#include "plot/MagTicks.h"

#include <cmath>
#include <stdexcept>

namespace varilume {

namespace {

// More ticks than this cannot be told apart on any screen.
constexpr double kMaxTicks = 20000;
// Magnitudes are singles: 15.6f times ten is 156.0000038, not above 156.
constexpr double kSlack = 1e-4;

// The multiples of step (in units of 0.05 magnitude) from lo to hi.
std::vector<double> multiples(double lo, double hi, int step) {
    std::vector<double> out;
    const double first = std::ceil(lo * 20 / step - kSlack);
    const double last = std::floor(hi * 20 / step + kSlack);
    // Counted, not stepped: near 1e18 adding one to k no longer changes it.
    const double count = last - first;
    if (!(count < kMaxTicks))
        throw std::overflow_error("Overflow");
    for (int i = 0; i <= static_cast<int>(count); ++i)
        out.push_back((first + i) * step / 20.0);
    return out;
}

} // namespace

MagTicks planMagTicks(float minMag, float maxMag, double labelHeight) {
    const double lo = std::floor(minMag);
    const double hi = std::floor(maxMag);
    const double span = hi - lo;
    if (!std::isfinite(span) || span * 2 > kMaxTicks)
        throw std::overflow_error("Overflow");

    const double wholeInside = std::floor(maxMag) - std::ceil(minMag) + 1;
    if (wholeInside < 2) {
        // Steps of 0.1, 0.2 and 0.5 magnitudes, in units of 0.05: the finest
        // whose labels do not run into one another; on a strip too short for
        // any, the coarsest that still gives two.
        int chosen = 0;
        for (int step : {2, 4, 10}) {
            if (multiples(minMag, maxMag, step).size() < 2)
                continue;
            chosen = step;
            if (step / 20.0 >= labelHeight)
                break;
        }
        if (chosen != 0)
            return {multiples(minMag, maxMag, chosen / 2), multiples(minMag, maxMag, chosen), 1};
    }

    // Counted steps instead of adding to a float: the same values for any real
    // magnitude, and no endless loop where m + 0.5 rounds back to m.
    MagTicks t;
    const int whole = span < 0 ? -1 : static_cast<int>(span);
    for (int k = 0; k <= 2 * whole; ++k)
        t.minor.push_back(lo + 0.5 * k);
    for (int k = 0; k <= whole; ++k)
        t.labelled.push_back(lo + k);
    return t;
}

} // namespace varilume
