#pragma once

#include "import/ColumnRoles.h"
#include "import/TableLayout.h"

#include <QString>
#include <optional>

namespace varilume {

/// Columns named on the command line where recognition cannot settle them.
struct ColumnChoices {
    QString time, mag, err, band;     // column names; empty: as recognised
    std::optional<double> timeOffset; // added to the time column for a full JD
    bool flux = false;                // the --mag column holds a flux
    bool any() const {
        return !time.isEmpty() || !mag.isEmpty() || !err.isEmpty() || !band.isEmpty() ||
               timeOffset || flux;
    }
};

/// The recognised mapping with the choices put in: a named column takes its
/// role and the column that had that role before gives it up. Fails (nullopt,
/// with why) for a name no column has. A mapping with choices counts as sure.
std::optional<TableMapping> applyColumnChoices(const TableLayout& layout, TableMapping mapping,
                                               const ColumnChoices& choices, QString* why);

} // namespace varilume
