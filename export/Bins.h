#pragma once

#include "canvas/Canvas.h"
#include "export/Pacer.h"
#include "store/ObsStore.h"
#include "store/State.h"

#include <QString>
#include <optional>
#include <vector>

namespace varilume {

/// The bins of one run: their count and the edges between them. Edges are
/// singles accumulated from the start by repeated addition of the width, so
/// they drift by rounding as the bins go on.
struct BinEdges {
    float width = 0;
    std::int32_t count = 0;
    /// count + 1 edges: bin k runs from edges[k] to edges[k + 1].
    std::vector<float> edges;
};

/// Bin count (2 / width for two cycles, 1 / width for one, to the nearest whole
/// number, halves to even) and edges from -1 or -0.5.
BinEdges binEdges(float width, bool twoCycles);

/// The most bins a run may have: more would take long and show nothing.
inline constexpr std::int32_t kMaxBins = 10000;

/// A typed bin width checked before anything is done: a number above 0 and
/// below the cycle range, giving at most kMaxBins bins. message says what is
/// wrong, empty when the width is usable.
struct BinWidthCheck {
    float width = 0;
    QString message;
    bool ok() const { return message.isEmpty(); }
};
BinWidthCheck checkBinWidth(const QString& text, bool twoCycles);

/// The bin table: for bin k, the mean phase, mean magnitude and standard
/// deviation of its observations when it holds at least two, zeros when it
/// holds fewer and a later bin qualified; nothing after the last that qualified.
struct BinTable {
    std::vector<float> phase, mag, sd;
    bool operator==(const BinTable&) const = default;
};

/// The table from the three queries per bin (count, standard deviation, the
/// rows in descending phase), run bin after bin on the store. Rows of a band
/// hidden in state take no part: the means follow what the plot shows.
BinTable binsByQuery(ObsStore& store, const BinEdges& bins, Pacer& pacer,
                     const ProjectState& state);
/// The same table from the phases the last plot left in memory, without
/// writing them back first; by the queries where the store lacks them.
BinTable LoadBins(ObsStore& store, const BinEdges& bins, Pacer& pacer, const ProjectState& state);

/// What BinPlotter drew.
enum class BinPlot { Empty, Single, Drawn };
/// Draws the table over the phase plot: the red mean curve with a small circle
/// at every bin and white error bars of (errorBar \ 2) standard deviations each
/// way; a bin that did not qualify, and the lines to and from it, in black.
/// Draws nothing for an empty table or one of a single bin.
BinPlot BinPlotter(Canvas& canvas, const BinTable& table, std::int16_t errorBar);

} // namespace varilume
