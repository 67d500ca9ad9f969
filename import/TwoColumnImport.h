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
/// holding no value are skipped.
///
/// Every record takes Star = state.StarName and the visual colour. Sets
/// state.NumRecords (the line count), and state.LoadOK = false when the load
/// fails on a line; StarLoaded, the extremes and the preview are left to the
/// caller. Shows no message: the result carries the text to show, if any.
ImportResult ImportTwoColumnFile(Context& ctx, BusyView& busy, const QString& path);

} // namespace varilume
