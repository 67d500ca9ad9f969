#include "import/TableFields.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace varilume {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool equalsLower(QByteArrayView text, const char* word) {
    const std::size_t n = std::strlen(word);
    if (std::size_t(text.size()) != n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (lower(text[qsizetype(i)]) != word[i])
            return false;
    return true;
}

bool isMissingWord(QByteArrayView t) {
    static constexpr const char* kWords[] = {"nan", "+nan", "-nan", "null", "none",   "na",  "n/a",
                                             "-",   "--",   "---",  "...",  "masked", "\"\""};
    if (t.size() > 6)
        return false;
    for (const char* w : kWords)
        if (equalsLower(t, w))
            return true;
    return false;
}

// A quoted field from at (the opening quote) on; returns the index just past the
// closing quote (or the end of the line).
qsizetype readQuoted(QByteArrayView line, qsizetype at, QByteArrayView& field,
                     QByteArray& scratch) {
    const qsizetype n = line.size();
    qsizetype i = at + 1;
    const qsizetype start = i;
    bool escaped = false;
    while (i < n) {
        if (line[i] == '"') {
            if (i + 1 < n && line[i + 1] == '"') {
                escaped = true;
                i += 2;
                continue;
            }
            break;
        }
        ++i;
    }
    const QByteArrayView inner = line.sliced(start, i - start);
    if (!escaped) {
        field = inner;
    } else {
        // scratch holds enough room for the whole line, so earlier views stay valid.
        const qsizetype from = scratch.size();
        for (qsizetype k = 0; k < inner.size(); ++k) {
            scratch.append(inner[k]);
            if (inner[k] == '"')
                ++k; // the second quote of a pair
        }
        field = QByteArrayView(scratch.constData() + from, scratch.size() - from);
    }
    return i < n ? i + 1 : n;
}

} // namespace

QByteArrayView trimmedField(QByteArrayView f) {
    qsizetype b = 0;
    qsizetype e = f.size();
    while (b < e && (isBlank(f[b]) || f[b] == '\r'))
        ++b;
    while (e > b && (isBlank(f[e - 1]) || f[e - 1] == '\r'))
        --e;
    return f.sliced(b, e - b);
}

void splitFields(QByteArrayView line, char delimiter, std::vector<QByteArrayView>& fields,
                 QByteArray& scratch) {
    fields.clear();
    scratch.clear();
    if (line.contains('"'))
        scratch.reserve(line.size() + 1);
    const qsizetype n = line.size();
    const char* base = line.data();
    qsizetype i = 0;
    if (delimiter == ' ') {
        for (;;) {
            while (i < n && isBlank(base[i]))
                ++i;
            if (i >= n)
                return;
            if (base[i] == '"') {
                QByteArrayView f;
                i = readQuoted(line, i, f, scratch);
                fields.push_back(f);
                while (i < n && !isBlank(base[i])) // text glued to the closing quote
                    ++i;
                continue;
            }
            const qsizetype start = i;
            while (i < n && !isBlank(base[i]))
                ++i;
            fields.emplace_back(base + start, i - start);
        }
    }
    for (;;) {
        qsizetype j = i;
        while (j < n && base[j] != delimiter && isBlank(base[j]))
            ++j;
        if (j < n && base[j] == '"') {
            QByteArrayView f;
            j = readQuoted(line, j, f, scratch);
            fields.push_back(f);
            const auto* d =
                static_cast<const char*>(std::memchr(base + j, delimiter, std::size_t(n - j)));
            if (!d)
                return;
            i = (d - base) + 1;
            continue;
        }
        const auto* d =
            static_cast<const char*>(std::memchr(base + i, delimiter, std::size_t(n - i)));
        const qsizetype stop = d ? d - base : n;
        fields.push_back(trimmedField(QByteArrayView(base + i, stop - i)));
        if (!d)
            return;
        i = stop + 1;
    }
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Plain decimals ("2458000.50000", "-12.345") with at most 15 digits are read
// directly: the digits as an integer divided by a power of ten, both exact doubles,
// give the correctly rounded value. Anything else goes to from_chars.
bool readPlainDecimal(QByteArrayView t, char point, double& value) {
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    qsizetype i = 0;
    const bool negative = t[0] == '-';
    if (t[0] == '-' || t[0] == '+')
        ++i;
    std::uint64_t digits = 0;
    int count = 0;
    int fraction = -1;
    bool any = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (isDigit(c)) {
            digits = digits * 10 + std::uint64_t(c - '0');
            any = true;
            if (++count > 15)
                return false;
            if (fraction >= 0)
                ++fraction;
        } else if (c == point && fraction < 0) {
            fraction = 0;
        } else {
            return false;
        }
    }
    if (!any)
        return false;
    const double v = double(digits) / kPow10[fraction < 0 ? 0 : fraction];
    value = negative ? -v : v;
    return true;
}

} // namespace

FieldValue readNumber(QByteArrayView field, bool decimalComma, double& value) {
    const QByteArrayView t = trimmedField(field);
    const qsizetype n = t.size();
    if (n == 0)
        return FieldValue::Missing;
    const bool numberLike = isDigit(t[0]) || (n > 1 && isDigit(t[1]));
    if (!numberLike && isMissingWord(t))
        return FieldValue::Missing;
    if (readPlainDecimal(t, decimalComma ? ',' : '.', value))
        return FieldValue::Number;
    char buf[128];
    if (n >= qsizetype(sizeof buf))
        return FieldValue::Bad;
    qsizetype k = 0;
    qsizetype i = 0;
    if (t[0] == '+' || t[0] == '-') {
        if (t[0] == '-')
            buf[k++] = '-';
        i = 1;
    }
    // from_chars alone would take "inf" and "nan"; a number starts with a digit or a point.
    if (i >= n || !((t[i] >= '0' && t[i] <= '9') || t[i] == '.' || (decimalComma && t[i] == ',')))
        return FieldValue::Bad;
    for (; i < n; ++i) {
        const char c = t[i];
        buf[k++] = (decimalComma && c == ',') ? '.' : c;
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(buf, buf + k, v, std::chars_format::general);
    if (ec != std::errc() || end != buf + k)
        return FieldValue::Bad;
    value = v;
    return FieldValue::Number;
}

bool isRuleLine(QByteArrayView line) {
    bool rule = false;
    for (const char c : line) {
        if (c == '-' || c == '=' || c == '+' || c == '|')
            rule = true;
        else if (!(isBlank(c) || c == ',' || c == ';' || c == '\r'))
            return false;
    }
    return rule;
}

} // namespace varilume
