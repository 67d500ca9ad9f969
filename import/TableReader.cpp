#include "import/TableReader.h"

#include "import/FitsTable.h"
#include "import/LineReader.h"
#include "import/TableFields.h"
#include "import/TableRows.h"

#include <QDir>
#include <QFile>
#include <numeric>

namespace varilume {

namespace {

constexpr qsizetype kReportedChars = 200;
// Lines between progress reports: often enough for a bar, rarely enough to cost nothing.
constexpr qint64 kProgressLines = 1 << 15;

bool isPassedOver(QByteArrayView line) {
    const QByteArrayView t = trimmedField(line);
    if (t.isEmpty())
        return true;
    const char c = t[0];
    return c == '#' || c == '%' || c == '\\' || c == '|' || isRuleLine(t);
}

} // namespace

QString describe(SkipReason reason) {
    switch (reason) {
    case SkipReason::Unreadable:
        return QStringLiteral("unreadable number");
    case SkipReason::Flagged:
        return QStringLiteral("flagged");
    case SkipReason::NaNFlux:
        return QStringLiteral("NaN flux");
    case SkipReason::NonPositiveFlux:
        return QStringLiteral("non-positive flux");
    case SkipReason::MissingTime:
        return QStringLiteral("missing time");
    case SkipReason::MissingValue:
        return QStringLiteral("missing value");
    case SkipReason::UpperLimit:
        return QStringLiteral("upper limit");
    }
    return QString();
}

qint64 TableReadResult::skippedTotal() const {
    return std::accumulate(skipped.begin(), skipped.end(), qint64(0));
}

TableReadResult readTable(const QString& path, const TableLayout& layout,
                          const TableMapping& mapping, const ObservationSink& sink,
                          const SkipSink& skipped, const ReadProgress& progress) {
    TableReadResult result;
    if (const QString why = checkMapping(layout, mapping); !why.isEmpty()) {
        result.error = why;
        return result;
    }
    if (layout.kind == TableLayout::Kind::Fits)
        return readFitsTable(path, layout, mapping, sink, skipped, progress);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Cannot open the file %1: %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString());
        return result;
    }
    const qint64 total = file.size();
    const char delimiter = char(layout.delimiter.toLatin1());
    TableRows rows(mapping, layout.decimalComma, sink, skipped, result);
    LineReader reader(file, path);
    std::vector<QByteArrayView> fields;
    std::vector<TableCell> cells(std::size_t(layout.columns.size()));
    QByteArray scratch;
    QByteArrayView line;
    while (reader.next(line)) {
        const qint64 number = reader.lineNumber();
        if (progress && number % kProgressLines == 0)
            progress(file.pos(), total);
        if (number < layout.firstDataLine || isPassedOver(line))
            continue;
        splitFields(line, delimiter, fields, scratch);
        for (std::size_t c = 0; c < cells.size(); ++c)
            cells[c].text = c < fields.size() ? fields[c] : QByteArrayView();
        const bool go = rows.add(cells, number, [&] {
            return QString::fromUtf8(line.first(std::min(line.size(), kReportedChars)));
        });
        if (!go) {
            result.cancelled = true;
            result.error = QStringLiteral("Cancelled.");
            return result;
        }
    }
    if (reader.error() != LineReader::Error::None) {
        result.error = reader.errorText();
        return result;
    }
    if (!rows.flush()) {
        result.cancelled = true;
        result.error = QStringLiteral("Cancelled.");
        return result;
    }
    if (progress)
        progress(total, total);
    result.ok = true;
    return result;
}

} // namespace varilume
