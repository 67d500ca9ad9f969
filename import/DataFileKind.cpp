#include "import/DataFileKind.h"

#include "import/ColumnRoles.h"
#include "import/OrbisLine.h"
#include "import/TableLayout.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>

namespace varilume {

namespace {

// Enough to hold the first lines of any observation file.
constexpr qint64 kHead = 64 * 1024;
constexpr int kLinesLooked = 5;

bool isNumber(QString text) {
    text.remove(u'<');
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

// The line (1-based) of a header that names a time and a brightness column, or 0.
int tableHeaderLine(const QStringList& lines) {
    std::vector<QByteArray> bytes;
    bytes.reserve(std::size_t(lines.size()));
    for (const QString& line : lines)
        bytes.push_back(line.toUtf8());
    std::vector<QByteArrayView> views(bytes.begin(), bytes.end());
    const TableLayout layout = sniffLines(views);
    if (!layout.error.isEmpty() || layout.headerLine == 0)
        return 0;
    const TableMapping mapping = recogniseColumns(layout);
    const auto has = [&](ColumnRole role) {
        return std::find(mapping.roles.begin(), mapping.roles.end(), role) != mapping.roles.end();
    };
    return has(ColumnRole::Time) && (has(ColumnRole::Magnitude) || has(ColumnRole::Flux))
               ? layout.headerLine
               : 0;
}

// The archive's header of its historic 18-field layout, which names its JD and
// magnitude columns as any table would.
bool isOrbisHeader(QStringView line) {
    return line.startsWith(u"JD,Magnitude,", Qt::CaseInsensitive) &&
           line.contains(u"Observer Code", Qt::CaseInsensitive) && line.count(u',') >= 9;
}

DataFileKind kindOfLine(QStringView line, bool tableHeader) {
    if (orbis::detectLayout(line).hasHeader || isOrbisHeader(line))
        return DataFileKind::Orbis;
    if (tableHeader)
        return DataFileKind::Table;
    if (line.count(u',') >= 9 || line.count(u'\t') >= 9)
        return DataFileKind::Orbis;
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    const QStringList values = line.toString().split(separators, Qt::SkipEmptyParts);
    if ((values.size() == 2 || values.size() == 3) && isNumber(values[0]) && isNumber(values[1]) &&
        (values.size() == 2 || isNumber(values[2])))
        return DataFileKind::TwoColumn;
    return DataFileKind::Unknown;
}

} // namespace

DataFileKind recogniseDataLines(const QStringList& firstLines) {
    const int header = tableHeaderLine(firstLines);
    int looked = 0;
    for (qsizetype i = 0; i < firstLines.size(); ++i) {
        const QStringView line = QStringView(firstLines[i]).trimmed();
        if (line.isEmpty())
            continue;
        const DataFileKind kind = kindOfLine(line, header == i + 1);
        if (kind != DataFileKind::Unknown)
            return kind;
        if (++looked == kLinesLooked)
            break;
    }
    // A header below a long preamble (an ECSV or IPAC block, comment lines).
    return header > 0 ? DataFileKind::Table : DataFileKind::Unknown;
}

DataFileKind recogniseDataFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return DataFileKind::Unknown;
    const QByteArray head = file.read(kHead);
    if (head.startsWith("SIMPLE  ="))
        return DataFileKind::Table; // FITS: its tables are light curves
    return recogniseDataLines(QString::fromLocal8Bit(head).split(u'\n'));
}

} // namespace varilume
