#pragma once

#include <vector>

namespace varilume {

/// Where a magnitude strip puts its ticks and labels, in magnitudes.
struct MagTicks {
    std::vector<double> minor;    // short ticks, the half steps (labelled places included)
    std::vector<double> labelled; // long ticks, each with its label
    int decimals = 0;             // digits after the point in the labels
};

/// The ticks for a strip showing minMag to maxMag. Whole magnitudes as
/// designed: labels from floor(minMag) to floor(maxMag), half-magnitude minor
/// ticks. When fewer than two whole magnitudes fall inside the range (the
/// light curve of a small-amplitude star), the finest of 0.1, 0.2 and 0.5
/// magnitudes that puts at least two labels inside it, each at least
/// labelHeight (in magnitudes) from the next, with half steps as minor ticks.
/// Throws std::overflow_error for a range too wide for any strip (a column that
/// is not magnitudes at all).
MagTicks planMagTicks(float minMag, float maxMag, double labelHeight);

} // namespace varilume
