#pragma once

#include <QString>
#include <QStringView>
#include <array>

/// Line recognition for ORBIS observation files: the original 18-field layout
/// (comma, no quoting) and the archive's current 24-field download layout
/// (comma or TAB, with quoting). Pure functions on one physical line; the
/// returned views point into the line or into the caller's scratch text.
namespace varilume::orbis {

inline constexpr int kLegacyFieldCount = 18;
inline constexpr int kCurrentFieldCount = 24;
/// A headerless first line with this many TAB-separated fields is taken for the
/// TAB layout; a few TABs in an 18-field line's comment are not enough.
inline constexpr int kMinTabFields = 20;

enum class Layout {
    Legacy,       // 18 fields, split at every comma
    CurrentComma, // 24 fields, comma, CSV quoting ("""text""" for free text)
    CurrentTab,   // 24 fields, TAB, single-level quoting
};

/// The fields of one line. Only the first kCurrentFieldCount are kept; count
/// is the true number of fields of the line.
struct Fields {
    std::array<QStringView, kCurrentFieldCount> at;
    int count = 0;
    /// Field by its 1-based number, as the file format counts them.
    QStringView operator[](int number) const { return at[static_cast<std::size_t>(number - 1)]; }
};

/// Blank as trimming sees it: QChar::isSpace, with the ASCII cases decided inline.
inline bool isBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r') || (c >= 0x80 && QChar::isSpace(c));
}

/// The same as QStringView::trimmed(), inline: it runs for every field of a
/// million-line file.
inline QStringView trim(QStringView v) {
    const char16_t* b = v.utf16();
    const char16_t* e = b + v.size();
    while (b < e && isBlank(*b))
        ++b;
    while (e > b && isBlank(e[-1]))
        --e;
    return QStringView(b, e - b);
}

/// Splits at every "," with no quoting: a comma inside a comment makes an extra
/// field, as the 18-field layout demands. Returns out.count.
int splitLegacy(QStringView line, Fields& out);

enum class SplitStatus {
    Ok,
    Unbalanced, // a quoted field without its closing quote, or text after it
};

/// Splits a current-layout line at delimiter with quoting. A field whose first
/// non-blank character is a quote is quoted: "" inside it is one literal quote,
/// \" and \"" are backslash-escaped quotes, and the closing quote may only be
/// followed by blanks and the delimiter. A quote inside an unquoted field is
/// plain text. The value of """text""" (a quoted value that itself starts and
/// ends with a literal quote) is stored as the plain text: the observer wrote
/// text, the quotes are the archive's wrapping. Quoted values are written into
/// scratch, which is resized to the line's length, so the views stay valid
/// until scratch is used for the next line.
SplitStatus splitCurrent(QStringView line, QChar delimiter, Fields& out, QString& scratch);

/// Field 1 of a data line, trimmed: seven digits, then either nothing (a whole
/// JD such as 2451234) or a point, a digit and anything. Column headers fail.
bool isJulianDate(QStringView field1);

/// Layout of a file from its first non-empty line. hasHeader tells whether
/// that line is the current layout's column header (first name "JD", 24 names).
struct Detected {
    Layout layout = Layout::Legacy;
    bool hasHeader = false;
};
/// A 24-name header beginning with "JD" gives the current layout with its
/// delimiter; a line of at least kMinTabFields TAB-separated fields gives the
/// TAB variant (without a header); everything else follows the 18-field rules. A headerless comma
/// file is not guessed to be current: an 18-field line with six commas in its comment would look
/// like one and the whole file would be rejected.
Detected detectLayout(QStringView firstLine);

/// Magnitude text and fainter-than mark from field 2: "<14.5" gives ("14.5", "<")
/// (the text after the first "<", untrimmed); otherwise the trimmed field and "".
struct Magnitude {
    QStringView mag;
    QStringView faint;
};
Magnitude splitMagnitude(QStringView field2);

} // namespace varilume::orbis
