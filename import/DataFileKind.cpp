#include "import/DataFileKind.h"

#include "import/OrbisLine.h"

#include <QFile>
#include <QRegularExpression>

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

DataFileKind kindOfLine(QStringView line) {
    if (orbis::detectLayout(line).hasHeader)
        return DataFileKind::Orbis;
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
    int looked = 0;
    for (const QString& raw : firstLines) {
        const QStringView line = QStringView(raw).trimmed();
        if (line.isEmpty())
            continue;
        const DataFileKind kind = kindOfLine(line);
        if (kind != DataFileKind::Unknown)
            return kind;
        if (++looked == kLinesLooked)
            break;
    }
    return DataFileKind::Unknown;
}

DataFileKind recogniseDataFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return DataFileKind::Unknown;
    const QString head = QString::fromLocal8Bit(file.read(kHead));
    return recogniseDataLines(head.split(u'\n'));
}

} // namespace varilume
