#include "export/ExportText.h"

#include "format/NumberFormat.h"

#include <QLocale>
#include <charconv>

namespace varilume::exporttext {

QByteArray createdLine(const QDateTime& when) {
    return "Data for Varilume file created on " +
           when.toString(QStringLiteral("MM-dd-yyyy")).toLatin1() + " at " +
           when.toString(QStringLiteral("HH:mm:ss")).toLatin1() + kLineEnd;
}

void padToZone(QByteArray& line, qsizetype fieldStart) {
    const qsizetype column = line.size() - fieldStart; // columns used in this row
    const qsizetype rest = column % kZone;
    if (rest != 0 || column == 0)
        line.append(kZone - rest, ' ');
}

void appendSortedLine(QByteArray& out, float phase, float mag) {
    const qsizetype start = out.size();
    fmt::appendPattern(out, phase, u"#0.0000000", 7);
    padToZone(out, start);
    fmt::appendPattern(out, mag, u"00.000#", 7);
    out.append(kLineEnd);
}

QString singleText(float value) {
    return fmt::general(value);
}

QString LeftJustify(const QString& text, int width) {
    if (text.size() >= width)
        return text.left(width);
    return text + QString(width - text.size(), u' ');
}

QString PadNumber(const QString& text, int width) {
    const QStringList parts = text.split(u'.');
    if (parts.size() < 2)
        return text.size() > width ? text : LeftJustify(text, width);
    QString aligned = parts[0].trimmed() + u'.' + parts[1].trimmed();
    if (aligned.indexOf(u'.') == 1)
        aligned.prepend(u' ');
    return aligned.size() > width ? aligned : LeftJustify(aligned, width);
}

QByteArray jdOrderMagField(const QString& magText) {
    QString text = magText;
    if (!text.contains(u'.'))
        text += QStringLiteral(".0");
    return singleByte(PadNumber(text, 6));
}

void appendJDLine(QByteArray& out, double jd, float phase, const QByteArray& magField) {
    fmt::appendPattern(out, jd, u"0000000.0000");
    out.append("   ");
    // The phase goes through its seven-digit text before the eight-decimal pattern.
    // The text is put at the end of the line, read back and taken away again.
    const qsizetype mark = out.size();
    fmt::appendGeneral(out, phase);
    const bool negative = out.at(mark) == '-';
    double value = 0;
    std::from_chars(out.constData() + mark, out.constData() + out.size(), value);
    out.truncate(mark);
    if (!negative)
        out.append(' ');
    fmt::appendPattern(out, value, u"#0.00000000");
    out.append("    ");
    out.append(magField);
    out.append(kLineEnd);
}

QByteArray binHeader(const QString& starName, const QDateTime& when) {
    const QString stamp = QLocale::system().toString(when, QLocale::ShortFormat);
    return "Bins plotted by Varilume for " + singleByte(starName.trimmed()) + kLineEnd + "on " +
           singleByte(stamp) + kLineEnd + kLineEnd + "    Phase        Mag       Std Dev" +
           kLineEnd;
}

void appendBinLine(QByteArray& out, float phase, float mag, float sd) {
    const qsizetype start = out.size();
    fmt::appendPattern(out, phase, u"#0.0000000", 7);
    padToZone(out, start);
    fmt::appendPattern(out, mag, u"00.000#", 7);
    padToZone(out, start);
    fmt::appendPattern(out, sd, u"0.0000", 7);
    padToZone(out, start);
    out.append(kLineEnd);
}

QByteArray singleByte(const QString& text) {
    return text.toLatin1();
}

} // namespace varilume::exporttext
