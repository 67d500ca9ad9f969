#pragma once

#include "import/TableLayout.h"
#include "import/TableReader.h"

#include <QByteArray>
#include <QString>

namespace varilume {

/// FITS light curves (Kepler, K2, TESS and the like): the first binary or ASCII
/// table extension with a TIME column. Columns holding one value per row are
/// read (numbers, logicals and strings); a column of several values per row
/// can only be ignored. The time zero comes from the extension's header:
/// BJDREFI + BJDREFF, else JDREFI + JDREFF (JDREF), else MJDREFI + MJDREFF
/// (MJDREF) + 2400000.5, plus TIMEZERO.
///
/// The file is opened without cfitsio's extended file-name syntax, so brackets
/// in a name are just characters.

/// The layout of a FITS file's light-curve table (TableLayout::Kind::Fits).
/// A file that is not FITS, or has no table with TIME, gives a layout with an error.
TableLayout sniffFits(const QString& path);
/// The same for a FITS file held in memory.
TableLayout sniffFitsMemory(const QByteArray& bytes);

/// Reads the table sniffFits() found, by the rules of readTable(); lines are rows.
/// Progress counts rows.
TableReadResult readFitsTable(const QString& path, const TableLayout& layout,
                              const TableMapping& mapping, const ObservationSink& sink,
                              const SkipSink& skipped, const ReadProgress& progress = {});
/// The same for a FITS file held in memory.
TableReadResult readFitsMemory(const QByteArray& bytes, const TableLayout& layout,
                               const TableMapping& mapping, const ObservationSink& sink,
                               const SkipSink& skipped, const ReadProgress& progress = {});

} // namespace varilume
