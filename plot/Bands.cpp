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

QString discrepantBandKey() {
    return QStringLiteral("\x01"
                          "discrepant");
}

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

std::vector<Band> bandsPresent(const ProjectState& state, const ObsStore& store, std::size_t first,
                               std::size_t last) {
    const auto cols = store.plotColumns();
    const auto& keys = store.bandKeys();
    last = std::min(last, cols.band.size());
    // Points per band, and per colour within it.
    std::vector<std::map<std::int32_t, std::size_t>> colors(keys.size());
    for (std::size_t i = first; i < last; ++i)
        if (cols.band[i] < colors.size())
            ++colors[cols.band[i]][cols.color[i]];
    std::vector<Band> bands;
    for (std::size_t code = 0; code < colors.size(); ++code) {
        if (colors[code].empty())
            continue;
        Band b{std::uint16_t(code), keys[code], QString(), 0, 0};
        std::size_t most = 0;
        for (const auto& [color, n] : colors[code]) {
            b.count += n;
            if (n > most) {
                most = n;
                b.color = color;
            }
        }
        if (code == kDiscrepantBand) {
            b.key = discrepantBandKey();
            b.name = QStringLiteral("Discrepant");
            b.color = colorValue(state.ColorDISC);
        } else {
            b.name = b.key.isEmpty() ? bandName(state, b.color) : b.key;
        }
        bands.push_back(b);
    }
    std::stable_sort(bands.begin(), bands.end(), [&](const Band& a, const Band& b) {
        const bool da = a.code == kDiscrepantBand, db = b.code == kDiscrepantBand;
        if (da != db)
            return db;
        const std::size_t ca = firstClassOf(state, a.color), cb = firstClassOf(state, b.color);
        if (ca != cb)
            return ca < cb;
        return a.name < b.name;
    });
    return bands;
}

QString bandKeyOf(QStringView band, QStringView valid) {
    return isDiscrepant(valid) ? discrepantBandKey() : band.trimmed().toString();
}

bool bandShown(const ProjectState& state, const QString& key) {
    return !state.HiddenBands.contains(key);
}

std::optional<MagRange> shownMagRange(const std::vector<char>& mask, std::span<const float> mag,
                                      std::span<const std::uint16_t> band) {
    if (mask.empty())
        return std::nullopt;
    std::optional<MagRange> range;
    for (std::size_t i = 0; i < mag.size() && i < band.size(); ++i) {
        if (std::isnan(mag[i]) || !rowShown(mask, band[i]))
            continue;
        if (!range)
            range = MagRange{mag[i], mag[i]};
        range->min = std::min(range->min, mag[i]);
        range->max = std::max(range->max, mag[i]);
    }
    return range;
}

void setBandShown(ProjectState& state, const QString& key, bool shown) {
    state.HiddenBands.removeAll(key);
    if (!shown)
        state.HiddenBands.push_back(key);
}

std::vector<char> shownBandMask(const ProjectState& state, const ObsStore& store) {
    if (state.HiddenBands.isEmpty())
        return {};
    const auto& keys = store.bandKeys();
    std::vector<char> mask(keys.size());
    for (std::size_t code = 0; code < keys.size(); ++code)
        mask[code] = bandShown(state, code == kDiscrepantBand ? discrepantBandKey() : keys[code]);
    return mask;
}

} // namespace varilume
