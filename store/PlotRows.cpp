#include "store/PlotRows.h"

#include "store/ObsStore.h"
#include "store/Sqlite.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace varilume {

namespace {

// Takes a JD or Mag value into a kept range (NaN: none yet).
void widenBy(double value, double& low, double& high) {
    if (std::isnan(low) || value < low)
        low = value;
    if (std::isnan(high) || value > high)
        high = value;
}

template <typename T> void permute(std::vector<T>& v, const std::vector<std::uint32_t>& order) {
    std::vector<T> out;
    out.reserve(v.size());
    for (std::uint32_t i : order)
        out.push_back(v[i]);
    v.swap(out);
}

} // namespace

void PlotRows::clearColumns() {
    // Swapping with empties gives the memory back, not just the size.
    std::vector<double>().swap(jd);
    std::vector<float>().swap(mag);
    std::vector<std::int32_t>().swap(color);
    std::vector<std::uint16_t>().swap(band);
    bandKeys.assign(1, QString());
    bandIndex.clear();
    lastBand = 0;
    std::vector<std::int64_t>().swap(id);
    std::vector<float>().swap(phase);
    dirtyFirst = dirtyLast = 0;
    irregular = 0;
    batchStart = 0;
    const double none = std::numeric_limits<double>::quiet_NaN();
    minJD = maxJD = minMag = maxMag = none;
    rowCount = 0;
    rangeKnown = true;
}

// Column c of a row read back into a range; nulls count for nothing, as in MIN().
void PlotRows::widen(sqlite3_stmt* q, int c, double& low, double& high) {
    const int type = sqlite3_column_type(q, c);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
        widenBy(sqlite3_column_double(q, c), low, high);
    else if (type != SQLITE_NULL)
        rangeKnown = false; // text or bytes: SQLite's own order decides
}

// A Mag or Phas column as a single (NaN for a null). A value that no single
// holds exactly (written by a statement from outside) makes the row one the
// plot columns cannot stand for: queries compare the double.
float PlotRows::singleColumn(sqlite3_stmt* q, int c) {
    if (sqlite3_column_type(q, c) == SQLITE_NULL)
        return std::numeric_limits<float>::quiet_NaN();
    const double x = sqlite3_column_double(q, c);
    const float f = float(x);
    if (double(f) != x)
        ++irregular;
    return f;
}

void PlotRows::readRows(sqlite3* db) {
    clearColumns();
    // Read in table order and sorted here: most files come sorted by date,
    // so this is one pass instead of SQLite sorting a million rows.
    sqlite::Stmt q = sqlite::prepare(db, "SELECT ID, JD, Mag, PunktFarb, Phas, "
                                         "instr(Faint, '<'), (Faint <> '<') IS 1, Band, "
                                         "TRIM(Valid) = 'D' FROM Obs ORDER BY ID");
    int rc;
    while ((rc = sqlite3_step(q.get())) == SQLITE_ROW) {
        ++rowCount;
        widen(q.get(), 1, minJD, maxJD);
        widen(q.get(), 2, minMag, maxMag);
        if (sqlite3_column_int(q.get(), 6) == 0)
            continue; // a fainter-than estimate: not plotted
        const bool noDate = sqlite3_column_type(q.get(), 1) == SQLITE_NULL;
        if (noDate || sqlite3_column_int(q.get(), 5) != 0)
            ++irregular;
        if (noDate)
            continue;
        id.push_back(sqlite3_column_int64(q.get(), 0));
        jd.push_back(sqlite3_column_double(q.get(), 1));
        mag.push_back(singleColumn(q.get(), 2));
        color.push_back(std::int32_t(sqlite3_column_int64(q.get(), 3)));
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(q.get(), 7));
        band.push_back(
            bandCode(QString::fromUtf8(text ? text : ""), sqlite3_column_int(q.get(), 8) != 0));
        phase.push_back(singleColumn(q.get(), 4));
    }
    if (rc != SQLITE_DONE)
        sqlite::failEngine(db);
    sortColumns();
    batchStart = jd.size();
}

std::uint16_t PlotRows::bandCode(QStringView bandText, bool discrepant) {
    // Past this many names (a hostile file) further ones share the last code.
    constexpr std::size_t kMaxBands = 4096;
    if (discrepant)
        return 0;
    const QStringView key = bandText.trimmed();
    if (lastBand != 0 && bandKeys[lastBand] == key)
        return lastBand;
    const QString owned = key.toString();
    auto found = bandIndex.constFind(owned);
    if (found == bandIndex.constEnd()) {
        if (bandKeys.size() > kMaxBands)
            return lastBand = std::uint16_t(bandKeys.size() - 1);
        found = bandIndex.insert(owned, std::uint16_t(bandKeys.size()));
        bandKeys.push_back(owned);
    }
    return lastBand = *found;
}

void PlotRows::addRow(std::int64_t rowId, double jdValue, float magValue, std::int32_t colorValue,
                      std::uint16_t bandValue, bool plotted, bool oddFaint) {
    if (plotted && oddFaint)
        ++irregular;
    if (plotted) {
        jd.push_back(jdValue);
        mag.push_back(magValue);
        color.push_back(colorValue);
        band.push_back(bandValue);
        id.push_back(rowId);
        phase.push_back(std::numeric_limits<float>::quiet_NaN());
    }
    widenBy(jdValue, minJD, maxJD);
    widenBy(magValue, minMag, maxMag);
    ++rowCount;
}

void PlotRows::keepBefore(std::int64_t firstLost) {
    // The batch's rows stand at the end in load order, that is by ID.
    const auto from = id.begin() + std::ptrdiff_t(std::min(batchStart, id.size()));
    const std::size_t keep = std::size_t(std::lower_bound(from, id.end(), firstLost) - id.begin());
    jd.resize(keep);
    mag.resize(keep);
    color.resize(keep);
    band.resize(keep);
    id.resize(keep);
    phase.resize(keep);
    dirtyLast = std::min(dirtyLast, keep);
    dirtyFirst = std::min(dirtyFirst, dirtyLast);
    rangeKnown = false;
}

void PlotRows::sortColumns() {
    const std::size_t n = jd.size();
    const auto before = [this](std::size_t a, std::size_t b) {
        return jd[a] < jd[b] || (jd[a] == jd[b] && id[a] < id[b]);
    };
    bool sorted = true;
    for (std::size_t i = 1; i < n && sorted; ++i)
        sorted = !before(i, i - 1);
    if (sorted)
        return; // files sorted by date, the common case
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    // Ties keep load order: earlier rows have the smaller ID and stand first.
    std::stable_sort(order.begin(), order.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return jd[a] < jd[b]; });
    permute(jd, order);
    permute(mag, order);
    permute(color, order);
    permute(band, order);
    permute(id, order);
    permute(phase, order);
}

void PlotRows::markDirty(std::size_t first, std::size_t last) {
    if (dirtyFirst == dirtyLast) {
        dirtyFirst = first;
        dirtyLast = last;
    } else {
        dirtyFirst = std::min(dirtyFirst, first);
        dirtyLast = std::max(dirtyLast, last);
    }
}

void PlotRows::checkPlotRange(std::size_t first, std::size_t count) const {
    if (first > jd.size() || count > jd.size() - first)
        throw StoreError(StoreError::Engine,
                         QStringLiteral("Plot row %1 is out of range (%2 rows).")
                             .arg(first + count)
                             .arg(jd.size()));
}

} // namespace varilume
