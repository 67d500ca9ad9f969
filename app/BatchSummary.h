#pragma once

// Many stars per run:
//   Varilume --search FILE FILE... --summary OUT.csv
//   Varilume --files LIST --summary OUT.csv
// Each star is read on the main thread (the importers draw) and searched by a
// pool of workers, one core each; OUT.csv gets one row per star in the order
// of the input, written through a temporary file that becomes OUT.csv only
// when complete. A star that fails gets its reason in its row and the run
// goes on: exit 0 when every star was searched, 3 when some failed, 2 when
// the run could not start or OUT.csv could not be written.

#include "app/BatchSearch.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <limits>

namespace varilume {

/// One row of the summary: the best peak of one star, or why there is none.
struct SummaryRow {
    static constexpr double None = std::numeric_limits<double>::quiet_NaN();
    QString file;
    std::size_t points = 0;
    double spanDays = None;
    double period = None;
    double frequency = None;
    double power = None;
    int harmonics = 0;  // 0: not a harmonic fit
    double fap = -1;    // < 0: none
    double fapRed = -1; // < 0: none
    QString verdict;    // empty: none given
    QString note;       // the best peak's note; lines left out of the file
    QString error;      // set: the star failed and the other columns are empty
    bool ok() const { return error.isEmpty(); }
};

/// The row of a star searched (result.ok()) or whose search failed (its reason).
SummaryRow summaryRow(const QString& file, const SearchData& data, const SearchResult& result);
/// The row of a star that could not be read.
SummaryRow failedRow(const QString& file, const QString& error);

/// "file,points,span_days,period,frequency,power,harmonics,fap,fap_red,verdict,note,error\n"
QString summaryCsvHeader();
/// One line of the summary CSV, fields quoted where they hold a comma, a quote or a line break.
QString summaryCsvLine(const SummaryRow& row);

/// The paths a list names, one a line; blank lines and lines starting with #
/// are skipped, relative paths are taken from the list's folder. Sets *error
/// (and returns nothing) when the list cannot be read.
QStringList readFileList(const QString& listPath, QString* error);

/// Told "done/total stars" from the main thread, at most once a second and at the end.
using SummaryProgress = std::function<void(std::size_t done, std::size_t total)>;

/// Runs the summary. Needs a QGuiApplication (the importers draw). `workers`
/// 0: one per core. stopRequested, polled on the main thread between stars and
/// a few times a second, ends the run early with no summary (exit 2).
BatchOutcome runBatchSummary(const BatchOptions& options, const SummaryProgress& progress = {},
                             unsigned workers = 0, const std::function<bool()>& stopRequested = {});

/// main() for the summary: makes its own headless application; progress on standard error.
int batchSummaryMain(const BatchOptions& options, int argc, char** argv);

} // namespace varilume
