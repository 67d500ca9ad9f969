#include "plot/Bands.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace varilume {

namespace {

// Readable names of the thirteen classes, in settings order.
constexpr const char* kClassNames[] = {
    "Visual", "Fainter-than", "Discrepant", "No band", "U", "V", "B", "R",
    "I",      "CV",           "CR",         "H",       "J"};
static_assert(std::size(kClassNames) == std::size(kColorClasses));

// Index of the first class with this colour, or the number of classes.
std::size_t firstClassOf(const ProjectState& state, std::int32_t color) {
    for (std::size_t i = 0; i < std::size(kColorClasses); ++i)
        if (colorValue(state.*kColorClasses[i].member) == color)
            return i;
    return std::size(kColorClasses);
}

} // namespace

QString bandName(const ProjectState& state, std::int32_t color) {
    QStringList names;
    for (std::size_t i = 0; i < std::size(kColorClasses); ++i)
        if (colorValue(state.*kColorClasses[i].member) == color)
            names << QLatin1String(kClassNames[i]);
    if (!names.isEmpty())
        return names.join(QStringLiteral(" / "));
    // Stored colours are R + 256*G + 65536*B.
    return QStringLiteral("#%1%2%3")
        .arg(color & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((color >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((color >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

std::vector<Band> bandsPresent(const ProjectState& state, std::span<const std::int32_t> colors) {
    std::map<std::int32_t, std::size_t> counts;
    for (std::int32_t c : colors)
        ++counts[c];
    std::vector<Band> bands;
    bands.reserve(counts.size());
    for (const auto& [color, count] : counts)
        bands.push_back({color, bandName(state, color), count});
    std::stable_sort(bands.begin(), bands.end(), [&](const Band& a, const Band& b) {
        return firstClassOf(state, a.color) < firstClassOf(state, b.color);
    });
    return bands;
}

std::optional<MagRange> shownMagRange(const ProjectState& state, std::span<const float> mag,
                                      std::span<const std::int32_t> color) {
    if (state.HiddenColors.empty())
        return std::nullopt;
    std::optional<MagRange> range;
    for (std::size_t i = 0; i < mag.size() && i < color.size(); ++i) {
        if (std::isnan(mag[i]) || !bandShown(state, color[i]))
            continue;
        if (!range)
            range = MagRange{mag[i], mag[i]};
        range->min = std::min(range->min, mag[i]);
        range->max = std::max(range->max, mag[i]);
    }
    return range;
}

void setBandShown(ProjectState& state, std::int32_t color, bool shown) {
    auto& hidden = state.HiddenColors;
    hidden.erase(std::remove(hidden.begin(), hidden.end(), color), hidden.end());
    if (!shown)
        hidden.push_back(color);
}

} // namespace varilume
