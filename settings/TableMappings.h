#pragma once

#include "import/ColumnRoles.h"
#include "import/TableLayout.h"

#include <QMap>
#include <QString>
#include <optional>

namespace varilume {

struct ProjectState;

/// The column mappings the user settled, one per kind of table (tables with the
/// same header share one), kept in TableMappings.txt in the program folder so
/// that the next download from the same survey needs only Enter.
class TableMappings {
public:
    /// Reads the file; a missing or damaged one is an empty list.
    explicit TableMappings(const ProjectState& state);
    /// The mapping kept for tables with this layout's header, if any.
    std::optional<TableMapping> find(const TableLayout& layout) const;
    /// Keeps mapping for this header and writes the file; false when it cannot.
    bool remember(const TableLayout& layout, const TableMapping& mapping);

private:
    QString path_;
    QMap<QString, QString> lines_; // header key -> mapping text
};

} // namespace varilume
