#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

/// Number-to-text forms used in captions, files and query texts. Every form
/// writes "." as the decimal point whatever the locale, so files and queries
/// read the same on every machine. Non-finite values show as "NaN", "Inf" and
/// "-Inf" in the display forms.
namespace varilume::fmt {

/// Formats by a pattern of '0' (digit always written), '#' (digit written only
/// when significant) and '.', e.g. "#0.0###", "00.000#", "0000000.0000".
/// Rounds half away from zero at the last digit shown, working on the value's
/// decimal text of sigDigits significant digits (15 for doubles, 7 for singles).
/// Negative values get a leading '-' (not when they round to zero). A pattern
/// with a '.' always writes the point ("0.#" gives "1." for 1). Characters other than '0', '#' and
/// '.' are ignored.
QString pattern(double value, QStringView pattern, int sigDigits = 15);

/// General number form of a double: up to 15 significant digits, no trailing
/// zeros, a zero before the point ("0.5"), exponent form outside the fixed range
/// ("1E-05", "1.5E+20"). 65280 gives "65280", 2452000.5 gives "2452000.5".
QString general(double value);

/// The same for a 32-bit float: up to 7 significant digits ("12.8", "-1.490116E-08").
QString general(float value);

/// 32-bit form with a sign position: one leading space for a non-negative value,
/// no zero before the point of a number below 1 in size, up to 7 significant
/// digits: 200 gives " 200", 0.5 gives " .5", -0.25 gives "-.25".
QString signedSingle(float value);

/// Shortest decimal text that reads back to the same double, with "." and no
/// blank; used for numbers placed in query texts. Infinities become "1e999" and
/// "-1e999" and NaN "NULL", which is how SQLite stores a NaN.
QString query(double value);

/// The texts of pattern() and general(), appended to out as Latin-1: for files
/// of many lines, without a string per number.
void appendPattern(QByteArray& out, double value, QStringView pattern, int sigDigits = 15);
void appendGeneral(QByteArray& out, double value);
void appendGeneral(QByteArray& out, float value);

/// Reads a number the way the store converts text: optional blanks (spaces,
/// tabs) before and after, an optional sign, digits with an optional "." and
/// fraction (".5" and "5." included), an optional exponent ("e" or "E").
/// nullopt for anything else, the empty text included, and for a value too
/// large for a double; a value too small for one reads as zero.
std::optional<double> parseNumber(QStringView text);

} // namespace varilume::fmt
