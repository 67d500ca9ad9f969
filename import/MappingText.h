#pragma once

#include "import/ColumnRoles.h"
#include "import/TableLayout.h"

#include <QString>
#include <optional>

namespace varilume {

/// A mapping as one line of text, to be remembered (in the settings) per header:
///   "roles=time,mag,err,band,flag,ignore;bands=,V,V,,,;time=MJD;offset=2400000.5;
///    zp=0;flagged=skip;limits=keep"
/// Bands are percent-encoded, numbers written in full precision. sure and why are
/// not kept: a remembered mapping is the user's choice, and comes back sure.
QString mappingToText(const TableMapping& mapping);

/// Reads what mappingToText() wrote. nullopt when the text is damaged or names
/// another number of columns than columnCount (the file's header changed).
std::optional<TableMapping> mappingFromText(const QString& text, qsizetype columnCount);

/// A key for a table's header, the same for every file with the same kind and
/// column names (in order; case and blanks around them ignored): "table-" and 40
/// hex digits, fit for a settings key.
QString headerKey(const TableLayout& layout);

} // namespace varilume
