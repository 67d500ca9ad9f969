#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

/// The line layouts of the phase files and the bin file: single-byte text, CR LF
/// line ends, fields after the first in 14-column print zones.
namespace varilume::exporttext {

inline constexpr char kLineEnd[] = "\r\n";
inline constexpr int kZone = 14;

/// "Data for Varilume file created on MM-dd-yyyy at HH:mm:ss" and CR LF.
QByteArray createdLine(const QDateTime& when);

/// Spaces up to the next print zone: a field that ends short of a zone boundary
/// is filled up to it, one that ends on one is left as it is.
void padToZone(QByteArray& line, qsizetype fieldStart);

/// Sorted file: the phase "#0.0000000" in columns 1 to 14, the magnitude
/// "00.000#" from column 15, CR LF.
void appendSortedLine(QByteArray& out, float phase, float mag);

/// The text a reader of a single-precision field gets, as the JD-ordered file
/// writes it: "9.5", "10", "12.3456".
QString singleText(float value);

/// A decimal number given as text aligned in a field of `width` characters: the
/// integer part, ".", the fraction (text after a second "." dropped), one space in
/// front of a one-digit integer part, spaces after. Wider text is returned in
/// full, so a magnitude like 12.3456 makes its line longer instead of failing; a
/// text without "." is left-justified as it stands.
QString PadNumber(const QString& text, int width);
/// text padded with spaces on the right to width, cut to width if longer.
QString LeftJustify(const QString& text, int width);

/// The magnitude field of the JD-ordered file for a magnitude read as text
/// ("" for a null): ".0" appended to a text without ".", then PadNumber to 6.
QByteArray jdOrderMagField(const QString& magText);

/// One line of the JD-ordered file: the JD "0000000.0000", three spaces, the
/// phase field (the phase's seven-digit text in "#0.00000000", a space in front
/// unless it is negative), four spaces, the magnitude field, CR LF.
void appendJDLine(QByteArray& out, double jd, float phase, const QByteArray& magField);

/// The bin file's header for a star, dated `when` in the system's general form.
QByteArray binHeader(const QString& starName, const QDateTime& when);
/// One bin: mean phase "#0.0000000", mean magnitude "00.000#", standard
/// deviation "0.0000", each filled to the end of its print zone, CR LF.
void appendBinLine(QByteArray& out, float phase, float mag, float sd);

/// Text to the file's single-byte code page: Latin-1, '?' for what it lacks.
QByteArray singleByte(const QString& text);

} // namespace varilume::exporttext
