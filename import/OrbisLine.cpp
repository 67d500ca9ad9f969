#include "import/OrbisLine.h"

namespace varilume::orbis {

namespace {

inline bool isAsciiDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

inline void keep(Fields& out, QStringView value) {
    if (out.count < kCurrentFieldCount)
        out.at[static_cast<std::size_t>(out.count)] = value;
    ++out.count;
}

} // namespace

int splitLegacy(QStringView line, Fields& out) {
    out.count = 0;
    const char16_t* p = line.utf16();
    const qsizetype n = line.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == u',') {
            keep(out, QStringView(p + start, i - start));
            start = i + 1;
        }
    }
    keep(out, QStringView(p + start, n - start));
    return out.count;
}

SplitStatus splitCurrent(QStringView line, QChar delimiter, Fields& out, QString& scratch) {
    out.count = 0;
    const char16_t delim = delimiter.unicode();
    const char16_t* p = line.utf16();
    const qsizetype n = line.size();
    // Unquoting never lengthens a value, so the line's length is enough and
    // the buffer is never reallocated while views into it are handed out.
    if (scratch.size() < n)
        scratch.resize(n);
    char16_t* w = reinterpret_cast<char16_t*>(scratch.data());

    qsizetype i = 0;
    for (;;) {
        qsizetype j = i;
        while (j < n && p[j] == u' ')
            ++j;
        if (j < n && p[j] == u'"') {
            ++j;
            char16_t* const start = w;
            bool closed = false;
            while (j < n) {
                const char16_t c = p[j];
                if (c == u'"') {
                    if (j + 1 < n && p[j + 1] == u'"') {
                        *w++ = u'"';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                if (c == u'\\' && j + 1 < n && p[j + 1] == u'"') {
                    // \" written raw, or \"" with the quote doubled by the CSV layer.
                    *w++ = u'"';
                    j += (j + 2 < n && p[j + 2] == u'"') ? 3 : 2;
                    continue;
                }
                *w++ = c;
                ++j;
            }
            if (!closed)
                return SplitStatus::Unbalanced;
            while (j < n && p[j] == u' ')
                ++j;
            if (j < n && p[j] != delim)
                return SplitStatus::Unbalanced;
            QStringView value(start, w - start);
            if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
                value = value.sliced(1, value.size() - 2);
            keep(out, value);
            i = j;
        } else {
            qsizetype k = i;
            while (k < n && p[k] != delim)
                ++k;
            keep(out, QStringView(p + i, k - i));
            i = k;
        }
        if (i >= n)
            break;
        ++i; // past the delimiter; a delimiter at the very end leaves one empty field
    }
    return SplitStatus::Ok;
}

bool isJulianDate(QStringView field1) {
    const QStringView t = trim(field1);
    if (t.size() < 7)
        return false;
    for (qsizetype i = 0; i < 7; ++i) {
        if (!isAsciiDigit(t[i]))
            return false;
    }
    if (t.size() == 7)
        return true;
    return t.size() >= 9 && t[7] == u'.' && isAsciiDigit(t[8]);
}

Detected detectLayout(QStringView firstLine) {
    Fields f;
    QString scratch;
    const auto isHeader = [&](QChar delimiter) {
        return splitCurrent(firstLine, delimiter, f, scratch) == SplitStatus::Ok &&
               f.count == kCurrentFieldCount && trim(f[1]).compare(u"JD", Qt::CaseInsensitive) == 0;
    };
    // A TAB alone proves nothing: an 18-field line may carry one in its comment.
    if (isHeader(u'\t'))
        return {Layout::CurrentTab, true};
    if (firstLine.count(u'\t') + 1 >= kMinTabFields)
        return {Layout::CurrentTab, false};
    if (isHeader(u','))
        return {Layout::CurrentComma, true};
    return {Layout::Legacy, false};
}

Magnitude splitMagnitude(QStringView field2) {
    const qsizetype lt = field2.indexOf(u'<');
    if (lt >= 0)
        return {field2.sliced(lt + 1), QStringView(u"<")};
    return {trim(field2), QStringView()};
}

} // namespace varilume::orbis
