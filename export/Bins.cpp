#include "export/Bins.h"

#include "format/NumberFormat.h"
#include "plot/Bands.h"

#include <algorithm>
#include <cmath>

namespace varilume {

namespace {

// Bounds as the queries write them: the single to seven significant digits.
QString edgeText(float edge) {
    return fmt::general(edge);
}

QString countQuery(const QString& lo, const QString& hi) {
    return QStringLiteral("SELECT COUNT(*) AS MyCount FROM ") + QStringLiteral("Obs") +
           QStringLiteral(" WHERE Phas BETWEEN ") + lo + QStringLiteral(" AND ") + hi +
           QStringLiteral(" AND FAINT <> '<'") + QStringLiteral("AND Phas <> 0 ") +
           QStringLiteral(" ; ");
}

QString deviationQuery(const QString& lo, const QString& hi) {
    return QStringLiteral("SELECT StDev(Mag) AS [SD] FROM Obs ") +
           QStringLiteral("WHERE Phas BETWEEN ") + lo + QStringLiteral(" AND ") + hi +
           QStringLiteral(" AND FAINT <> '<'") + QStringLiteral(" AND Phas <> 0 ") +
           QStringLiteral(" ; ");
}

QString rowsQuery(const QString& lo, const QString& hi) {
    return QStringLiteral("SELECT * FROM ") + QStringLiteral("Obs") +
           QStringLiteral(" WHERE Phas BETWEEN ") + lo + QStringLiteral(" AND ") + hi +
           QStringLiteral(" AND FAINT <> '<'") + QStringLiteral("AND  Phas <> 0 ") +
           QStringLiteral(" ORDER BY Phas DESC; ");
}

void storeBin(BinTable& t, std::size_t k, float phase, float mag, float sd) {
    t.phase.resize(k + 1, 0.0f);
    t.mag.resize(k + 1, 0.0f);
    t.sd.resize(k + 1, 0.0f);
    t.phase[k] = phase;
    t.mag[k] = mag;
    t.sd[k] = sd;
}

// Sample standard deviation updated one value at a time, as the store's StDev.
struct Welford {
    std::int64_t n = 0;
    double mean = 0;
    double m2 = 0;
    void add(double x) {
        ++n;
        const double delta = x - mean;
        mean += delta / double(n);
        m2 += delta * (x - mean);
    }
    float deviation() const {
        if (n < 2)
            return 0.0f;
        return float(std::sqrt(std::max(0.0, m2 / double(n - 1))));
    }
};

float mean(float sum, std::int64_t count) {
    return float(double(sum) / double(count));
}

} // namespace

BinEdges binEdges(float width, bool twoCycles) {
    BinEdges b;
    b.width = width;
    const double range = twoCycles ? 2.0 : 1.0;
    b.count = static_cast<std::int32_t>(std::nearbyint(range / double(width)));
    float edge = twoCycles ? -1.0f : -0.5f;
    b.edges.reserve(std::size_t(std::max(b.count, 0)) + 1);
    b.edges.push_back(edge);
    for (std::int32_t k = 0; k < b.count; ++k) {
        edge = float(double(edge) + double(width));
        b.edges.push_back(edge);
    }
    return b;
}

BinWidthCheck checkBinWidth(const QString& text, bool twoCycles) {
    BinWidthCheck c;
    const int range = twoCycles ? 2 : 1;
    const auto value = fmt::parseNumber(text);
    c.width = value ? float(*value) : 0.0f;
    const QString shown = QStringLiteral("\"") + text.trimmed() + QStringLiteral("\"");
    if (!value || !(c.width > 0.0f) || !(c.width < float(range))) {
        c.message = QStringLiteral("The bin size ") + shown +
                    QStringLiteral(" is not a number above 0 and below %1.").arg(range);
    } else if (std::nearbyint(range / double(c.width)) > kMaxBins) {
        c.message =
            QStringLiteral("The bin size ") + shown +
            QStringLiteral(" would make more than %1 bins. Give a larger size.").arg(kMaxBins);
    }
    return c;
}

namespace {

// One bin from its rows alone, skipping those of hidden bands: the count and
// the deviation the aggregate queries would give over the rows shown.
void shownBin(BinTable& t, std::size_t k, Recordset rows, const ProjectState& state) {
    std::int64_t count = 0;
    Welford spread;
    float phases = 0, mags = 0;
    for (; !rows.eof(); rows.moveNext()) {
        if (!bandShown(state, bandKeyOf(rows.text(QStringLiteral("Band")),
                                        rows.text(QStringLiteral("Valid")))))
            continue;
        ++count;
        phases += rows.single(QStringLiteral("Phas"));
        if (!rows.isNull(QStringLiteral("Mag"))) {
            mags += rows.single(QStringLiteral("Mag"));
            spread.add(rows.single(QStringLiteral("Mag")));
        }
    }
    if (count > 1)
        storeBin(t, k, mean(phases, count), mean(mags, count), spread.deviation());
}

} // namespace

BinTable binsByQuery(ObsStore& store, const BinEdges& bins, Pacer& pacer,
                     const ProjectState& state) {
    BinTable t;
    for (std::int32_t k = 0; k < bins.count; ++k) {
        pacer.tick(k);
        const QString lo = edgeText(bins.edges[std::size_t(k)]);
        const QString hi = edgeText(bins.edges[std::size_t(k) + 1]);
        if (!state.HiddenBands.isEmpty()) {
            shownBin(t, std::size_t(k), store.query(rowsQuery(lo, hi)), state);
            continue;
        }
        Recordset counted = store.query(countQuery(lo, hi));
        const std::int32_t count = counted.integer(QStringLiteral("MyCount"));
        if (count <= 1)
            continue;
        Recordset spread = store.query(deviationQuery(lo, hi));
        const float sd =
            spread.isNull(QStringLiteral("SD")) ? 0.0f : float(spread.number(QStringLiteral("SD")));
        float phases = 0, mags = 0;
        Recordset rows = store.query(rowsQuery(lo, hi));
        while (!rows.eof()) {
            // A null magnitude cannot be added; the sum goes on without it.
            phases += rows.single(QStringLiteral("Phas"));
            if (!rows.isNull(QStringLiteral("Mag")))
                mags += rows.single(QStringLiteral("Mag"));
            rows.moveNext();
        }
        storeBin(t, std::size_t(k), mean(phases, count), mean(mags, count), sd);
    }
    return t;
}

BinTable LoadBins(ObsStore& store, const BinEdges& bins, Pacer& pacer, const ProjectState& state) {
    const auto cols = store.phaseColumns();
    // The bands run beside the phases, one per row not marked "<".
    const std::span<const std::uint16_t> bands = store.plotColumns().band;
    const std::vector<char> shown = shownBandMask(state, store);
    if (!cols || bands.size() != cols->phase.size())
        return binsByQuery(store, bins, pacer, state);

    // The bounds as the store reads them from the query texts.
    std::vector<double> edges;
    edges.reserve(bins.edges.size());
    for (float e : bins.edges) {
        Recordset rs = store.queryWithoutPhases(QStringLiteral("SELECT ") + edgeText(e) +
                                                QStringLiteral(" AS Edge"));
        edges.push_back(rs.number(QStringLiteral("Edge")));
    }

    struct Row {
        float phase;
        float mag;
        std::int64_t id;
    };
    std::vector<Row> rows;
    rows.reserve(cols->phase.size());
    for (std::size_t i = 0; i < cols->phase.size(); ++i) {
        const float p = cols->phase[i];
        if (!std::isnan(p) && p != 0.0f && rowShown(shown, bands[i]))
            rows.push_back({p, cols->mag[i], cols->id[i]});
    }
    pacer.now(0);

    // Counts and deviations over the rows in table order, as the aggregates see them.
    const auto byId = [](const Row& a, const Row& b) { return a.id < b.id; };
    if (!std::is_sorted(rows.begin(), rows.end(), byId))
        std::sort(rows.begin(), rows.end(), byId);
    const std::size_t n = std::size_t(std::max(bins.count, 0));
    std::vector<std::int64_t> counts(n, 0);
    std::vector<Welford> spread(n);
    for (const Row& r : rows) {
        const double x = r.phase;
        // Bins k with edges[k] <= x <= edges[k + 1]: one, or two for a row on an edge.
        auto k = std::size_t(std::lower_bound(edges.begin() + 1, edges.end(), x) - edges.begin());
        for (--k; k < n && edges[k] <= x; ++k) {
            if (edges[k + 1] < x)
                continue;
            ++counts[k];
            if (!std::isnan(r.mag))
                spread[k].add(r.mag);
        }
    }
    pacer.now(0);

    // Sums in the order of the rows query: descending phase, equal phases in table order.
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.phase > b.phase || (a.phase == b.phase && a.id < b.id);
    });
    BinTable t;
    for (std::size_t k = 0; k < n; ++k) {
        pacer.tick(qint64(k));
        if (counts[k] <= 1)
            continue;
        const double lo = edges[k], hi = edges[k + 1];
        const auto first = std::partition_point(rows.begin(), rows.end(),
                                                [hi](const Row& r) { return r.phase > hi; });
        float phases = 0, mags = 0;
        for (auto it = first; it != rows.end() && it->phase >= lo; ++it) {
            phases += it->phase;
            if (!std::isnan(it->mag))
                mags += it->mag;
        }
        storeBin(t, k, mean(phases, counts[k]), mean(mags, counts[k]), spread[k].deviation());
    }
    return t;
}

BinPlot BinPlotter(Canvas& canvas, const BinTable& table, std::int16_t errorBar) {
    if (table.phase.empty())
        return BinPlot::Empty;
    if (table.phase.size() == 1)
        return BinPlot::Single;
    constexpr std::int32_t kRed = 255, kBlack = 0, kWhite = 0xFFFFFF;
    canvas.setForeground(kRed);
    canvas.setFillColor(kRed);
    canvas.setLineWidth(2);
    const double r = std::fabs(canvas.pixelWidth());
    const int half = errorBar / 2; // whole standard deviations, the remainder dropped
    for (std::size_t i = 0; i < table.phase.size(); ++i) {
        const float x = table.phase[i], y = table.mag[i], d = table.sd[i];
        std::int32_t c = kRed;
        if (i > 0 && (y == 0.0f || table.mag[i - 1] == 0.0f))
            c = kBlack; // a bin that did not qualify: drawn in the background colour
        canvas.circle(x, y, r, c);
        const float bar = float(half) * d;
        canvas.line(x, y, x, y - bar, kWhite);
        canvas.line(x, y, x, y + bar, kWhite);
        if (i == 0)
            canvas.line(x, y, x, y, kRed);
        else
            canvas.line(table.phase[i - 1], table.mag[i - 1], x, y, c);
    }
    canvas.setLineWidth(1);
    return BinPlot::Drawn;
}

} // namespace varilume
