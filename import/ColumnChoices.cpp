#include "import/ColumnChoices.h"

namespace varilume {

namespace {

// The column of that name (letter case aside), or -1.
qsizetype columnNamed(const TableLayout& layout, const QString& name) {
    for (qsizetype i = 0; i < layout.columns.size(); ++i)
        if (layout.columns[i].trimmed().compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

std::optional<TableMapping> applyColumnChoices(const TableLayout& layout, TableMapping mapping,
                                               const ColumnChoices& choices, QString* why) {
    mapping.roles.resize(std::size_t(layout.columns.size()), ColumnRole::Ignore);
    mapping.bandOfColumn.resize(mapping.roles.size());
    const auto put = [&](const QString& name, ColumnRole role,
                         std::initializer_list<ColumnRole> replaced) {
        if (name.isEmpty())
            return true;
        const qsizetype column = columnNamed(layout, name);
        if (column < 0) {
            if (why)
                *why = QStringLiteral("no column \"%1\"; the columns are: %2")
                           .arg(name, layout.columns.join(QStringLiteral(", ")));
            return false;
        }
        for (ColumnRole& r : mapping.roles)
            for (ColumnRole old : replaced)
                if (r == old)
                    r = ColumnRole::Ignore;
        mapping.roles[std::size_t(column)] = role;
        mapping.bandOfColumn[std::size_t(column)].clear();
        return true;
    };
    const ColumnRole brightness = choices.flux ? ColumnRole::Flux : ColumnRole::Magnitude;
    if (!put(choices.time, ColumnRole::Time, {ColumnRole::Time}) ||
        !put(choices.mag, brightness, {ColumnRole::Magnitude, ColumnRole::Flux}) ||
        !put(choices.err, ColumnRole::Uncertainty, {ColumnRole::Uncertainty}) ||
        !put(choices.band, ColumnRole::Band, {ColumnRole::Band}))
        return std::nullopt;
    if (choices.flux && choices.mag.isEmpty())
        for (ColumnRole& r : mapping.roles)
            if (r == ColumnRole::Magnitude)
                r = ColumnRole::Flux;
    if (choices.timeOffset) {
        mapping.timeSystem = TimeSystem::Offset;
        mapping.timeOffset = *choices.timeOffset;
    }
    if (choices.any()) {
        mapping.sure = true;
        mapping.why.clear();
    }
    return mapping;
}

} // namespace varilume
