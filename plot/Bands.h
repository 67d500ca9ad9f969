#pragma once

#include "store/ObsStore.h"
#include "store/State.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace varilume {

/// One band present in the data, as stored: the Band text of its rows (the
/// ORBIS Band field, a table's band column), or every row flagged discrepant.
/// Colour is only how the band is drawn: two bands of one colour stay two.
struct Band {
    std::uint16_t code; // into ObsStore::bandKeys()
    QString key;        // what HiddenBands and a search choice hold
    QString name;       // shown: the band text, or the colour class for rows without one
    std::int32_t color; // the colour most of its points are drawn in
    std::size_t count;  // points in it
};

/// The key of the discrepant rows' band (no stored Band text starts with it).
QString discrepantBandKey();

/// The bands of the plot rows [first, last), discrepant last, the others in the
/// order of their colour classes and then by name.
std::vector<Band> bandsPresent(const ProjectState& state, const ObsStore& store, std::size_t first,
                               std::size_t last);

/// The name of a colour: the classes that have it now, joined by " / ".
QString bandName(const ProjectState& state, std::int32_t color);

/// The band key of a stored row from its Band and Valid fields, as the store's
/// band codes make it: discrepant rows share one key whatever their band.
QString bandKeyOf(QStringView band, QStringView valid);

/// Whether a band is drawn.
bool bandShown(const ProjectState& state, const QString& key);

/// The magnitudes a plot of the shown bands spans.
struct MagRange {
    float min, max;
};
/// The smallest and largest magnitude of the rows whose band is shown under
/// mask (shownBandMask; mag and band codes run side by side); nullopt when no band is hidden, so
/// that the data's own range stands, or when no row with a magnitude is shown.
std::optional<MagRange> shownMagRange(const std::vector<char>& mask, std::span<const float> mag,
                                      std::span<const std::uint16_t> band);

/// Hides or shows a band.
void setBandShown(ProjectState& state, const QString& key, bool shown);

/// One flag per band code of the store: true where the band is drawn. Empty
/// when every band is, so that the common case costs nothing per point.
std::vector<char> shownBandMask(const ProjectState& state, const ObsStore& store);

/// Whether plot row code is drawn under mask (see shownBandMask).
inline bool rowShown(const std::vector<char>& mask, std::uint16_t code) {
    return mask.empty() || (code < mask.size() && mask[code]);
}

} // namespace varilume
