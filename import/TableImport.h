#pragma once

#include "import/ImportResult.h"

#include <QString>

namespace varilume {

struct Context;
class BusyView;
struct TableMapping;

/// Reads a light-curve table (delimited text or FITS) into the store, with its
/// columns as mapping says (nullptr: as recognised). Every row not loaded is
/// counted by reason and listed with its line in Errors.txt, made afresh; the
/// result's note says how many were loaded and skipped. A file with no usable
/// time or brightness column is refused with a message naming its columns.
/// Every record takes Star = state.StarName; bands become colour classes
/// (import/BandColors.h), upper limits fainter-than estimates, flagged rows
/// that are kept discrepant ones.
ImportResult ImportTableFile(Context& ctx, BusyView& busy, const QString& path,
                             const TableMapping* mapping);

} // namespace varilume
