#pragma once

#include "import/ColumnRoles.h"
#include "import/TableLayout.h"

#include <QString>
#include <array>
#include <functional>
#include <span>

namespace varilume {

/// One observation read from a light-curve table.
struct TableObservation {
    double jd = 0;           // full JD: the time column's value plus TableMapping::timeOffset
    double mag = 0;          // magnitude (a flux already turned into one)
    double err = 0;          // its uncertainty in magnitudes; NaN when the table gives none
    QString band;            // band or filter name; "" when the table names none
    bool upperLimit = false; // a fainter-than estimate: "<17.3", ">17.3" or a limit column
    bool flagged = false;    // a flag column marked the row (kept: keepFlagged)
    qint64 line = 0;         // 1-based line of the text file, or row of the FITS table
};

/// Why a row (or, in a wide table, one band of a row) was not loaded.
enum class SkipReason {
    Unreadable,      // a field that should be a number is not one, or the JD is out of range
    Flagged,         // a flag column marked it (and keepFlagged is off)
    NaNFlux,         // the flux is NaN or empty
    NonPositiveFlux, // the flux is zero or negative: it has no magnitude
    MissingTime,     // the time field is empty or NaN
    MissingValue,    // the magnitude is empty, NaN or a sentinel (|m| >= 90, e.g. 99.99, -99)
    UpperLimit,      // an upper limit (and keepUpperLimits is off)
};
inline constexpr std::size_t kSkipReasons = 7;

/// A row not loaded, for files/Errors.txt.
struct SkippedRow {
    qint64 line = 0; // 1-based line of the text file, or row of the FITS table
    SkipReason reason = SkipReason::Unreadable;
    QString text; // the line as written (cut after 200 characters), or the FITS row's values
};

/// The reason in words, as the count of skipped rows names it: "unreadable number",
/// "flagged", "NaN flux", "non-positive flux", "missing time", "missing value",
/// "upper limit".
QString describe(SkipReason reason);

/// How a read ended.
struct TableReadResult {
    /// Read to the end. False on an error or when cancelled: the observations
    /// handed over until then are a partial read, to be discarded.
    bool ok = false;
    bool cancelled = false; // the sink asked to stop
    QString error;          // when !ok: what went wrong, in one line ("Cancelled." when cancelled)
    qint64 loaded = 0;      // observations handed to the sink
    std::array<qint64, kSkipReasons> skipped{}; // rows skipped, by SkipReason
    qint64 skippedTotal() const;
};

/// Observations are handed over in chunks; return false to stop (cancel).
using ObservationSink = std::function<bool(std::span<const TableObservation>)>;
/// Every row not loaded, in file order.
using SkipSink = std::function<void(const SkippedRow&)>;
/// Progress: bytes read of the file's size (FITS: rows of the table's rows).
using ReadProgress = std::function<void(qint64 done, qint64 total)>;

/// Reads a light-curve table as the layout and mapping say, streaming: a file of
/// any size is read in chunks, and nothing but the current chunk is held.
///
/// Rules for each row: the time must be a number (an empty or NaN time is
/// MissingTime); the full JD must lie in (0, 1e8). A magnitude may be written
/// "<m" or ">m" (an upper limit); empty, NaN and sentinel magnitudes (|m| >= 90)
/// are MissingValue. A flux becomes zp - 2.5 log10(flux), its uncertainty
/// 2.5/ln 10 * err/flux. When a Magnitude and a Flux column are both mapped, the
/// magnitude is read and the Uncertainty column taken as the flux's. An
/// uncertainty that is empty, NaN, negative or a sentinel (>= 90) is NaN, and
/// the row is still loaded. Flag columns: any value other than empty, 0, "false",
/// "no" or "f" flags the row. Rows skipped are reported to skipped and counted.
TableReadResult readTable(const QString& path, const TableLayout& layout,
                          const TableMapping& mapping, const ObservationSink& sink,
                          const SkipSink& skipped, const ReadProgress& progress = {});

} // namespace varilume
