#pragma once

#include <QString>
#include <QStringList>

namespace varilume {

enum class DataFileKind { Orbis, TwoColumn, Table, Unknown };

/// Which importer a file is for, from its first lines: an ORBIS header or a
/// line of ten or more comma- or TAB-separated fields is ORBIS; a header naming
/// a time and a brightness column (a survey's CSV, IPAC or ECSV table) or a
/// FITS file is a light-curve table; a line of two or three numbers (date,
/// magnitude, perhaps "<" and an uncertainty) is two-column. Lines that decide
/// none of these (blank, a title) are passed over, a few at most; a file that
/// cannot be read is Unknown.
DataFileKind recogniseDataFile(const QString& path);
DataFileKind recogniseDataLines(const QStringList& firstLines);

} // namespace varilume
