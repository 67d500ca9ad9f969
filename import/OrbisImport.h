#pragma once

#include "import/ImportResult.h"

#include <QString>
#include <cstdint>

namespace varilume {

struct Context;
class BusyView;

/// Lines of a file as the importers see them (LF, CR LF or CR; UTF-8 or UTF-16),
/// or -1 when fileName does not name a readable file.
std::int64_t CountFileLines(const QString& fileName);

/// Number of lines of the file plus 20 (the size the load announces), or 0
/// when fileName does not name a readable file. A last line without its line
/// end counts; an empty file has no lines.
std::int32_t CountLines(const QString& fileName);

/// Loads the ORBIS file named by ctx.state.FileName into Obs: the original
/// 18-field layout, or the archive's current 24-field layout (comma or TAB),
/// recognised from the file's first non-empty line.
///
/// Sets NumRecords (CountLines) and StarName (the last stored line's star).
/// Rejected lines go unchanged to Errors.txt, which is made afresh. Current-layout
/// rows measured differentially ("DIF") are left out and counted in excluded.
/// Shows no message and sets no flag: the result says what happened, with the
/// text, title and icon for the window, which runs the extremes, preview and plot,
/// or clears the star after a failure (the store may then hold part of the file).
ImportResult ImportOrbisFile(Context& ctx, BusyView& busy);

} // namespace varilume
