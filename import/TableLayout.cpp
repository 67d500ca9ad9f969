#include "import/TableLayout.h"

#include "import/FitsTable.h"
#include "import/LineReader.h"
#include "import/TableFields.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <map>

namespace varilume {

namespace {

// Enough lines for a long IPAC or ECSV header and a sample; the head is never the
// whole of a large file.
constexpr int kHeadLines = 400;
constexpr qsizetype kHeadBytes = 1 << 20;

enum class LineKind { Empty, Comment, IpacKeyword, IpacColumns, Rule, Text };

LineKind kindOf(QByteArrayView line) {
    const QByteArrayView t = trimmedField(line);
    if (t.isEmpty())
        return LineKind::Empty;
    if (t[0] == '#' || t[0] == '%')
        return LineKind::Comment;
    if (t[0] == '\\')
        return LineKind::IpacKeyword;
    if (t[0] == '|' && t.size() > 1 && !isRuleLine(t))
        return LineKind::IpacColumns;
    if (isRuleLine(t))
        return LineKind::Rule;
    return LineKind::Text;
}

/// A comment line without its comment marks and the blanks after them.
QByteArrayView uncommented(QByteArrayView line) {
    QByteArrayView t = trimmedField(line);
    while (!t.isEmpty() && (t[0] == '#' || t[0] == '%'))
        t = t.sliced(1);
    return trimmedField(t);
}

QString text(QByteArrayView v) {
    return QString::fromUtf8(v.data(), v.size());
}

QString quoted(QByteArrayView line) {
    QString s = text(line.first(std::min<qsizetype>(line.size(), 60))).simplified();
    if (line.size() > 60)
        s += QStringLiteral("...");
    return QLatin1Char('"') + s + QLatin1Char('"');
}

struct Split {
    std::vector<QByteArrayView> fields;
    QByteArray scratch;
    const std::vector<QByteArrayView>& of(QByteArrayView line, char delimiter) {
        splitFields(line, delimiter, fields, scratch);
        return fields;
    }
};

/// Numbers in a field, a magnitude written as a limit ("<17.3", ">17.3") included.
bool isNumberField(QByteArrayView f, bool decimalComma) {
    QByteArrayView t = trimmedField(f);
    if (!t.isEmpty() && (t[0] == '<' || t[0] == '>'))
        t = t.sliced(1);
    double v = 0;
    return readNumber(t, decimalComma, v) == FieldValue::Number;
}

int numberFields(const std::vector<QByteArrayView>& fields, bool decimalComma) {
    int n = 0;
    for (const QByteArrayView f : fields)
        n += isNumberField(f, decimalComma) ? 1 : 0;
    return n;
}

QStringList names(const std::vector<QByteArrayView>& fields) {
    QStringList out;
    for (qsizetype i = 0; i < qsizetype(fields.size()); ++i) {
        const QString name = text(trimmedField(fields[std::size_t(i)]));
        out << (name.isEmpty() ? QStringLiteral("col%1").arg(i + 1) : name);
    }
    return out;
}

/// The names and units of an ECSV header's YAML part, and its delimiter.
struct EcsvHead {
    QStringList names;
    QStringList units;
    char delimiter = ' ';
};

EcsvHead readEcsvHead(const std::vector<QByteArrayView>& lines) {
    EcsvHead h;
    static const QRegularExpression name(QStringLiteral("(?:^-\\s*\\{?\\s*|[{,]\\s*)name:\\s*"
                                                        "['\"]?([^,'\"}]+)"));
    static const QRegularExpression unit(QStringLiteral("(?:^|[{,\\s])unit:\\s*['\"]?([^,'\"}]+)"));
    static const QRegularExpression delim(QStringLiteral("^delimiter:\\s*['\"]?(.)"));
    for (const QByteArrayView line : lines) {
        if (kindOf(line) != LineKind::Comment)
            break;
        const QString yaml = text(uncommented(line));
        if (const auto m = delim.match(yaml); m.hasMatch()) {
            h.delimiter =
                m.captured(1) == QStringLiteral("\\") ? '\t' : m.captured(1)[0].toLatin1();
            continue;
        }
        if (const auto m = name.match(yaml); m.hasMatch()) {
            h.names << m.captured(1).trimmed();
            h.units << QString();
        }
        if (const auto m = unit.match(yaml); m.hasMatch() && !h.units.isEmpty())
            h.units.back() = m.captured(1).trimmed();
    }
    if (h.delimiter != ',' && h.delimiter != ';' && h.delimiter != '\t')
        h.delimiter = ' ';
    return h;
}

/// The delimiter most of the last text lines agree on, and their number of fields.
std::pair<char, int> chooseDelimiter(const std::vector<QByteArrayView>& textLines) {
    const std::size_t from = textLines.size() > 20 ? textLines.size() - 20 : 0;
    const std::size_t count = textLines.size() - from;
    Split split;
    for (const char d : {'\t', ';', ',', ' '}) {
        std::map<int, int> counts;
        for (std::size_t i = from; i < textLines.size(); ++i)
            ++counts[int(split.of(textLines[i], d).size())];
        const auto mode = std::max_element(counts.begin(), counts.end(), [](auto a, auto b) {
            return a.second < b.second || (a.second == b.second && a.first < b.first);
        });
        if (mode->first >= 2 && mode->second * 10 >= int(count) * 6)
            return {d, mode->first};
    }
    return {0, 0};
}

void fillSample(TableLayout& layout, const std::vector<QByteArrayView>& lines, std::size_t from,
                char delimiter, bool ipac) {
    Split split;
    for (std::size_t i = from; i < lines.size(); ++i) {
        const LineKind k = kindOf(lines[i]);
        if (k == LineKind::Text || (k == LineKind::IpacColumns && !ipac)) {
            QStringList row;
            for (const QByteArrayView f : split.of(lines[i], delimiter))
                row << text(f);
            layout.sample.push_back(row);
            if (int(layout.sample.size()) >= TableLayout::kSampleRows)
                return;
        }
    }
}

bool sniffIpac(TableLayout& layout, const std::vector<QByteArrayView>& lines) {
    std::vector<std::size_t> bars;
    std::size_t data = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineKind k = kindOf(lines[i]);
        if (k == LineKind::IpacColumns)
            bars.push_back(i);
        else if (k == LineKind::Text && !bars.empty()) {
            data = i;
            break;
        } else if (k == LineKind::Text) {
            return false;
        }
    }
    if (bars.empty())
        return false;
    const auto cells = [&](std::size_t i) {
        QStringList out;
        const QList<QByteArray> parts = trimmedField(lines[i]).toByteArray().split('|');
        for (qsizetype p = 1; p + 1 < parts.size(); ++p)
            out << text(trimmedField(parts[p]));
        return out;
    };
    layout.delimiter = QLatin1Char(' ');
    layout.columns = cells(bars[0]);
    layout.headerLine = int(bars[0]) + 1;
    layout.units = QStringList(layout.columns.size(), QString());
    if (bars.size() >= 3 && bars[2] == bars[0] + 2) {
        const QStringList units = cells(bars[2]);
        if (units.size() == layout.columns.size())
            layout.units = units;
    }
    if (data < lines.size()) {
        layout.firstDataLine = int(data) + 1;
        fillSample(layout, lines, data, ' ', true);
    }
    if (layout.columns.size() < 2)
        layout.error = QStringLiteral("The IPAC table names fewer than two columns: %1.")
                           .arg(quoted(lines[bars[0]]));
    return true;
}

} // namespace

TableLayout sniffLines(const std::vector<QByteArrayView>& lines) {
    TableLayout layout;
    if (sniffIpac(layout, lines))
        return layout;

    const bool ecsv = !lines.empty() && trimmedField(lines[0]).startsWith("# %ECSV");
    const EcsvHead ecsvHead = ecsv ? readEcsvHead(lines) : EcsvHead();

    std::vector<QByteArrayView> textLines;
    for (const QByteArrayView line : lines)
        if (kindOf(line) == LineKind::Text)
            textLines.push_back(line);
    if (textLines.empty()) {
        layout.error = lines.empty() ? QStringLiteral("The file is empty.")
                                     : QStringLiteral("The file holds no table rows, only "
                                                      "comments or blank lines.");
        return layout;
    }
    auto [delimiter, columns] = chooseDelimiter(textLines);
    if (ecsv) {
        Split split;
        delimiter = ecsvHead.delimiter;
        columns = int(split.of(textLines.back(), delimiter).size());
    }
    if (delimiter == 0 || columns < 2) {
        layout.error =
            QStringLiteral("Found no columns: the lines hold one field each, such as %1.")
                .arg(quoted(textLines.back()));
        return layout;
    }
    layout.delimiter = QLatin1Char(delimiter);
    const bool commaDecimal = delimiter != ',';

    // The first row of numbers with the usual number of fields starts the data.
    Split split;
    std::size_t first = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (kindOf(lines[i]) != LineKind::Text)
            continue;
        const auto& fields = split.of(lines[i], delimiter);
        if (int(fields.size()) == columns && numberFields(fields, commaDecimal) > 0) {
            first = i;
            break;
        }
    }
    if (first == lines.size()) {
        layout.error =
            QStringLiteral("Found no rows of numbers under %1.").arg(quoted(textLines[0]));
        return layout;
    }
    layout.firstDataLine = int(first) + 1;

    // The header: the nearest line above with as many names and no number, perhaps
    // commented ("# date mag err"), perhaps underlined by a rule.
    for (std::size_t i = first; i-- > 0;) {
        const LineKind k = kindOf(lines[i]);
        if (k == LineKind::Empty || k == LineKind::Rule)
            continue;
        const QByteArrayView candidate = k == LineKind::Comment ? uncommented(lines[i]) : lines[i];
        if (k == LineKind::Comment && (candidate.isEmpty() || isRuleLine(candidate)))
            continue;
        if (k != LineKind::Text && k != LineKind::Comment)
            break;
        const auto& fields = split.of(candidate, delimiter);
        if (int(fields.size()) == columns && numberFields(fields, false) == 0) {
            layout.columns = names(fields);
            layout.headerLine = int(i) + 1;
            break;
        }
        if (k == LineKind::Text || first - i > 40)
            break;
    }
    if (layout.columns.isEmpty())
        for (int c = 1; c <= columns; ++c)
            layout.columns << QStringLiteral("col%1").arg(c);
    layout.units = QStringList(columns, QString());
    if (ecsv && ecsvHead.names == layout.columns)
        layout.units = ecsvHead.units;

    fillSample(layout, lines, first, delimiter, false);
    if (commaDecimal)
        for (const QStringList& row : layout.sample)
            for (const QString& f : row)
                if (f.contains(QLatin1Char(',')) && !f.contains(QLatin1Char('.')) &&
                    isNumberField(f.toUtf8(), true))
                    layout.decimalComma = true;
    return layout;
}

TableLayout sniffTable(const QString& path) {
    TableLayout layout;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        layout.error = QStringLiteral("Cannot open the file %1: %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString());
        return layout;
    }
    const QByteArray start = file.peek(4096);
    if (start.startsWith("SIMPLE  =")) {
        file.close();
        return sniffFits(path);
    }
    static const QRegularExpression fitsName(QStringLiteral("\\.(fits?|fts)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (fitsName.match(path).hasMatch()) {
        layout.kind = TableLayout::Kind::Fits;
        layout.error = QStringLiteral("The file is named as FITS but does not begin with a FITS "
                                      "header (no SIMPLE card).");
        return layout;
    }
    const bool utf16 = start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF");
    if (!utf16 && start.contains('\0')) {
        layout.error = QStringLiteral("The file holds binary data, not a table of text.");
        return layout;
    }

    LineReader reader(file, QString());
    std::vector<QByteArray> kept;
    qsizetype bytes = 0;
    QByteArrayView line;
    while (int(kept.size()) < kHeadLines && bytes < kHeadBytes && reader.next(line)) {
        kept.emplace_back(line.data(), line.size());
        bytes += line.size();
    }
    if (reader.error() != LineReader::Error::None) {
        layout.error = reader.errorText();
        return layout;
    }
    std::vector<QByteArrayView> lines(kept.begin(), kept.end());
    return sniffLines(lines);
}

} // namespace varilume
