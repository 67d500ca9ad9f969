#pragma once

#include <sqlite3.h>

#include <QHash>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace varilume {

/// What the store keeps in memory beside its file: the columns the plots need
/// for every row whose Faint is not "<", ascending JD (ties by ID), with the
/// phases not yet written back, and the range of JD and Mag over all rows.
struct PlotRows {
    std::vector<double> jd;
    std::vector<float> mag;
    std::vector<std::int32_t> color;
    // The band of each row as a code into bandKeys: the stored Band text,
    // trimmed; rows flagged discrepant share code 0 whatever their band.
    std::vector<std::uint16_t> band;
    std::vector<QString> bandKeys{QString()};
    std::vector<std::int64_t> id;
    std::vector<float> phase;
    std::size_t dirtyFirst = 0, dirtyLast = 0;
    // Rows the plot columns cannot stand for in the phase readers' queries
    // (Faint <> '<'): a null JD, or a Faint holding "<" among other text.
    std::int64_t irregular = 0;
    // Plot rows before the open append batch; the batch's own follow in load order.
    std::size_t batchStart = 0;

    // Smallest and largest JD and Mag over all rows (NaN: none yet) and the
    // row count, kept as rows come and go: no scan of the table is needed for
    // them after a load. Not known when a row held something else than a
    // number or null there, or after a failed batch: then the query answers.
    double minJD = 0, maxJD = 0, minMag = 0, maxMag = 0;
    std::int64_t rowCount = 0;
    bool rangeKnown = false;

    /// Empties everything and gives the memory back.
    void clearColumns();
    /// Reads every row of Obs (a statement of ID, JD, Mag, PunktFarb, Phas,
    /// instr(Faint, '<'), (Faint <> '<') IS 1, in ID order); throws StoreError.
    void readRows(sqlite3* db);
    /// One appended row (its numbers as stored).
    void addRow(std::int64_t rowId, double jdValue, float magValue, std::int32_t colorValue,
                std::uint16_t bandCode, bool plotted, bool oddFaint);
    /// The code of a band text (trimmed here), or 0 for a discrepant row.
    std::uint16_t bandCode(QStringView bandText, bool discrepant);
    /// Forgets the rows of the open batch from ID firstLost on.
    void keepBefore(std::int64_t firstLost);
    /// Sorts by JD, ties by ID; a no-op for rows already in order.
    void sortColumns();
    void markDirty(std::size_t first, std::size_t last);
    /// Throws StoreError when [first, first + count) is not a range of plot rows.
    void checkPlotRange(std::size_t first, std::size_t count) const;

private:
    QHash<QString, std::uint16_t> bandIndex;
    std::uint16_t lastBand = 0; // files list one band in long runs: no lookup for those
    void widen(sqlite3_stmt* q, int c, double& low, double& high);
    float singleColumn(sqlite3_stmt* q, int c);
};

} // namespace varilume
