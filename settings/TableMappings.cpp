#include "settings/TableMappings.h"

#include "import/MappingText.h"
#include "store/State.h"

#include <QFile>
#include <QSaveFile>

namespace varilume {

namespace {

// Enough for thousands of survey layouts; a larger file is not ours.
constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;
constexpr int kMaxEntries = 200;

} // namespace

TableMappings::TableMappings(const ProjectState& state)
    : path_(state.ProgramFolder + QStringLiteral("/TableMappings.txt")) {
    QFile file(path_);
    if (file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(kMaxFileSize)).trimmed();
        const qsizetype tab = line.indexOf(u'\t');
        if (tab > 0)
            lines_.insert(line.left(tab), line.mid(tab + 1));
    }
}

std::optional<TableMapping> TableMappings::find(const TableLayout& layout) const {
    const auto found = lines_.constFind(headerKey(layout));
    if (found == lines_.constEnd())
        return std::nullopt;
    return mappingFromText(*found, layout.columns.size());
}

bool TableMappings::remember(const TableLayout& layout, const TableMapping& mapping) {
    const QString key = headerKey(layout);
    if (key.contains(u'\t') || key.contains(u'\n'))
        return false;
    lines_.insert(key, mappingToText(mapping));
    while (lines_.size() > kMaxEntries)
        lines_.erase(lines_.begin());
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (auto it = lines_.constBegin(); it != lines_.constEnd(); ++it)
        file.write((it.key() + u'\t' + it.value() + u'\n').toUtf8());
    return file.commit();
}

} // namespace varilume
