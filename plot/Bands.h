#pragma once

#include "store/State.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace varilume {

/// One colour class present in the data. Classes that share a colour cannot be
/// told apart once loaded (the colour is all a point keeps), so they form one band.
struct Band {
    std::int32_t color;
    QString name;      // "V / B", "Visual", or "#RRGGBB" for a colour no class has now
    std::size_t count; // points of this colour
};

/// The bands of these point colours, in the order of the colour classes (colours
/// no class has any more last, by value).
std::vector<Band> bandsPresent(const ProjectState& state, std::span<const std::int32_t> colors);

/// The name of a colour: the classes that have it now, joined by " / ".
QString bandName(const ProjectState& state, std::int32_t color);

/// Whether points of this colour are drawn (and searched).
inline bool bandShown(const ProjectState& state, std::int32_t color) {
    for (std::int32_t hidden : state.HiddenColors)
        if (hidden == color)
            return false;
    return true;
}

/// The magnitudes a plot of the shown bands spans.
struct MagRange {
    float min, max;
};
/// The smallest and largest magnitude of the rows whose band is shown (mag and
/// color run side by side); nullopt when no band is hidden, so that the data's
/// own range stands, or when no row with a magnitude is shown.
std::optional<MagRange> shownMagRange(const ProjectState& state, std::span<const float> mag,
                                      std::span<const std::int32_t> color);

/// Hides or shows a band.
void setBandShown(ProjectState& state, std::int32_t color, bool shown);

} // namespace varilume
