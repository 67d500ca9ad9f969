#pragma once

#include "import/ImportResult.h"

#include <QString>

namespace varilume {

struct Context;
class BusyView;

/// Star name of a two-column file: the file name after the last "/" of the path,
/// cut before its first "." ("SS Cyg.data.txt" gives "SS Cyg"). A name without
/// "." is used whole.
QString StarNameFromPath(const QString& path);

/// Reads a file of "JD Mag [Uncertainty]" lines into the store. Tabs and commas
/// separate values like blanks; a "<" anywhere in a line marks it fainter-than.
/// A third value is the uncertainty only when the line has exactly three. Lines
/// holding no value are skipped. A line with one value, or whose JD or magnitude
/// is no sound number (see checkObsNumbers), ends the load with its reason.
///
/// Every record takes Star = state.StarName and the visual colour. Sets
/// state.NumRecords (the line count) and no flag: the result says what happened,
/// with the text to show. StarLoaded, the extremes and the preview are left to the
/// caller, which also clears the store after a failure (it may hold part of the file).
ImportResult ImportTwoColumnFile(Context& ctx, BusyView& busy, const QString& path);

} // namespace varilume
