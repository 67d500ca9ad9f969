#pragma once

#include "import/ImportResult.h"

#include <QString>
#include <cstdint>

namespace varilume {

struct Context;
class BusyView;

/// Number of lines of the file plus 20 (the size the load announces), or 0
/// when fileName does not name a readable file. A last line without its line
/// end counts; an empty file has no lines.
std::int32_t CountLines(const QString& fileName);

/// Loads the ORBIS file named by ctx.state.FileName into Obs: the original
/// 18-field layout, or the archive's current 24-field layout (comma or TAB),
/// recognised from the file's first non-empty line.
///
/// Sets NumRecords (CountLines) and StarName (the last stored line's star), and
/// LoadOK false on a reported failure; StarLoaded is the caller's. Rejected lines go
/// unchanged to Errors.txt, which is made afresh. Current-layout rows measured
/// differentially ("DIF") are left out and counted in excluded. Shows no
/// message: the result carries the text, title and icon for the window, which
/// also runs the extremes, preview and plot, or clears the star after a failure.
ImportResult ImportOrbisFile(Context& ctx, BusyView& busy);

} // namespace varilume
