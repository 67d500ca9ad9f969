#include "format/NumberFormat.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace varilume::fmt {

namespace {

constexpr int kMaxSig = 17; // enough to tell every double apart
// Digits printed beyond the requested ones, so that rounding half away from zero
// below sees the exact value in all but pathological cases (to_chars itself would
// round exact ties to even).
constexpr int kGuardDigits = 25;

using CharBuffer = QVarLengthArray<char, 64>;

/// A finite value cut to a fixed number of significant digits:
/// |value| = 0.d1 d2 d3 ... x 10^pointPos.
struct Decimal {
    char digits[kMaxSig]; // first digit non-zero unless zero is set
    int count = 0;        // significant digits held, trailing zeros included
    int pointPos = 0;     // digits before the decimal point
    bool negative = false;
    bool zero = false;
};

// Adds one at the last digit held, carrying into a new leading digit.
void roundUp(Decimal& d) {
    int i = d.count - 1;
    while (i >= 0 && d.digits[i] == '9')
        d.digits[i--] = '0';
    if (i >= 0) {
        ++d.digits[i];
    } else {
        d.digits[0] = '1';
        ++d.pointPos;
    }
}

using u128 = unsigned __int128;

constexpr u128 pow10u(int k) {
    u128 p = 1;
    for (int i = 0; i < k; ++i)
        p *= 10;
    return p;
}

// n / 2^shift / divisor rounded half up (shift < 128); truncated gets the
// quotient before rounding.
u128 roundedQuotient(u128 n, int shift, u128 divisor, u128& truncated) {
    if (divisor == 1) {
        if (shift == 0) {
            truncated = n;
            return n;
        }
        truncated = n >> shift;
        const u128 rest = n & ((u128(1) << shift) - 1);
        return rest >= (u128(1) << (shift - 1)) ? truncated + 1 : truncated;
    }
    const u128 q = (n >> shift) / divisor;
    truncated = q;
    // Remainder compared with half the divisor without losing its last bit.
    const u128 rest = n - ((q * divisor) << shift);
    const u128 whole = divisor << shift;
    return rest >= whole - rest ? q + 1 : q;
}

// The value rounded half up to d.count significant digits, worked out exactly in
// 128-bit integers from the binary value: a few nanoseconds where printing
// digits costs hundreds, which matters for files of a million lines. False for
// values out of its reach (then the printed digits below do it).
bool exactDigits(double v, Decimal& d) {
    int e2 = 0;
    const double fraction = std::frexp(v, &e2);
    const auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    e2 -= 53; // v = m * 2^e2 exactly
    int p10 = static_cast<int>(std::floor(std::log10(v)));
    const u128 low = pow10u(d.count - 1);
    const u128 high = low * 10;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int k = d.count - 1 - p10; // v * 10^k has count digits before the point
        u128 numerator = m;
        int shift = 0;
        u128 divisor = 1;
        if (k >= 0) {
            if (k > 21)
                return false;
            numerator *= pow10u(k);
        } else {
            if (-k > 36)
                return false;
            divisor = pow10u(-k);
        }
        if (e2 >= 0) {
            if (e2 > 10 || (k >= 0 && e2 > 2))
                return false;
            numerator <<= e2;
        } else {
            shift = -e2;
            if (shift > 120 || (divisor >> (127 - shift)) != 0)
                return false;
        }
        u128 truncated = 0;
        u128 q = roundedQuotient(numerator, shift, divisor, truncated);
        if (truncated >= high) {
            ++p10;
            continue;
        }
        if (truncated < low) {
            --p10;
            continue;
        }
        d.pointPos = p10 + 1;
        if (q == high) { // carried into a new digit
            q = low;
            ++d.pointPos;
        }
        auto digits = static_cast<std::uint64_t>(q); // below 10^17
        for (int i = d.count - 1; i >= 0; --i) {
            d.digits[i] = char('0' + int(digits % 10));
            digits /= 10;
        }
        return true;
    }
    return false;
}

Decimal toDecimal(double value, int sigDigits) {
    Decimal d;
    d.count = std::clamp(sigDigits, 1, kMaxSig);
    if (value == 0.0) {
        d.zero = true;
        std::fill(d.digits, d.digits + d.count, '0');
        return d;
    }
    d.negative = value < 0.0;

    if (exactDigits(std::fabs(value), d))
        return d;

    // "d.ddd...e+XXX" with count + kGuardDigits digits in all.
    char text[kMaxSig + kGuardDigits + 16];
    const auto res = std::to_chars(text, text + sizeof text, std::fabs(value),
                                   std::chars_format::scientific, d.count - 1 + kGuardDigits);
    const char* end = res.ptr;
    const char* e = std::find(static_cast<const char*>(text), end, 'e');
    char all[kMaxSig + kGuardDigits];
    int n = 0;
    for (const char* p = text; p != e; ++p) {
        if (*p != '.')
            all[n++] = *p;
    }
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);

    std::copy(all, all + d.count, d.digits);
    d.pointPos = exponent + 1;
    if (all[d.count] >= '5')
        roundUp(d);
    return d;
}

void appendNonFinite(CharBuffer& out, double value) {
    const char* text = std::isnan(value) ? "NaN" : value < 0 ? "-Inf" : "Inf";
    out.append(text, qsizetype(std::strlen(text)));
}

QString toQString(const CharBuffer& out) {
    return QString::fromLatin1(out.constData(), out.size());
}

/// The general form shared by general() and signedSingle(); signSpace selects the
/// blank in place of a plus sign and the missing zero before the point.
void generalChars(CharBuffer& out, double value, int sigDigits, bool signSpace) {
    if (!std::isfinite(value)) {
        appendNonFinite(out, value);
        return;
    }

    const Decimal d = toDecimal(value, sigDigits);
    int n = d.count;
    while (n > 1 && d.digits[n - 1] == '0')
        --n;

    if (d.negative)
        out.append('-');
    else if (signSpace)
        out.append(' ');

    if (d.zero) {
        out.append('0');
        return;
    }

    const int exponent = d.pointPos - 1;
    if (exponent > -5 && exponent < d.count) {
        if (d.pointPos > 0) {
            for (int i = 0; i < d.pointPos; ++i)
                out.append(i < n ? d.digits[i] : '0');
            if (n > d.pointPos) {
                out.append('.');
                out.append(d.digits + d.pointPos, n - d.pointPos);
            }
        } else {
            if (!signSpace)
                out.append('0');
            out.append('.');
            for (int i = d.pointPos; i < 0; ++i)
                out.append('0');
            out.append(d.digits, n);
        }
    } else {
        out.append(d.digits[0]);
        if (n > 1) {
            out.append('.');
            out.append(d.digits + 1, n - 1);
        }
        out.append('E');
        out.append(exponent < 0 ? '-' : '+');
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            out.append('0');
        char expText[8];
        const auto res = std::to_chars(expText, expText + sizeof expText, magnitude);
        out.append(expText, res.ptr - expText);
    }
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

void patternChars(CharBuffer& out, double value, QStringView pattern, int sigDigits) {
    if (!std::isfinite(value)) {
        appendNonFinite(out, value);
        return;
    }

    int minIntDigits = 0; // '0's before the point
    int decimals = 0;     // '0's and '#'s after the point
    int mandatory = 0;    // decimals up to the last '0'
    bool hasPoint = false;
    for (const QChar c : pattern) {
        if (c == u'.') {
            hasPoint = true;
        } else if (c == u'0') {
            if (hasPoint)
                mandatory = ++decimals;
            else
                ++minIntDigits;
        } else if (c == u'#' && hasPoint) {
            ++decimals;
        }
    }

    // Round half away from zero at the last decimal the pattern can show.
    const Decimal d = toDecimal(value, sigDigits);
    char kept[kMaxSig + 1];
    int keptCount = 0;
    int pointPos = d.pointPos;
    if (!d.zero) {
        const int cut = pointPos + decimals;
        if (cut >= d.count) {
            keptCount = d.count;
            std::copy(d.digits, d.digits + d.count, kept);
        } else if (cut >= 0) {
            keptCount = cut;
            std::copy(d.digits, d.digits + cut, kept);
            if (d.digits[cut] >= '5') {
                int i = cut - 1;
                while (i >= 0 && kept[i] == '9')
                    kept[i--] = '0';
                if (i >= 0) {
                    ++kept[i];
                } else {
                    // Carried into a new leading digit; the zeros after it are implied.
                    kept[0] = '1';
                    keptCount = 1;
                    ++pointPos;
                }
            }
        }
    }
    const bool nonZero = std::any_of(kept, kept + keptCount, [](char c) { return c != '0'; });
    const auto digitAt = [&](int i) { return i >= 0 && i < keptCount ? kept[i] : '0'; };

    if (d.negative && nonZero)
        out.append('-');
    const int intDigits = nonZero ? std::max(pointPos, 0) : 0;
    for (int i = intDigits; i < minIntDigits; ++i)
        out.append('0');
    for (int i = 0; i < intDigits; ++i)
        out.append(digitAt(i));
    if (hasPoint) {
        out.append('.');
        int shown = decimals;
        while (shown > mandatory && digitAt(pointPos + shown - 1) == '0')
            --shown;
        for (int i = 0; i < shown; ++i)
            out.append(digitAt(pointPos + i));
    }
}

} // namespace

QString pattern(double value, QStringView pattern, int sigDigits) {
    CharBuffer out;
    patternChars(out, value, pattern, sigDigits);
    return toQString(out);
}

QString general(double value) {
    CharBuffer out;
    generalChars(out, value, 15, false);
    return toQString(out);
}

QString general(float value) {
    CharBuffer out;
    generalChars(out, value, 7, false);
    return toQString(out);
}

QString signedSingle(float value) {
    CharBuffer out;
    generalChars(out, value, 7, true);
    return toQString(out);
}

void appendPattern(QByteArray& out, double value, QStringView pattern, int sigDigits) {
    CharBuffer text;
    patternChars(text, value, pattern, sigDigits);
    out.append(text.constData(), text.size());
}

void appendGeneral(QByteArray& out, double value) {
    CharBuffer text;
    generalChars(text, value, 15, false);
    out.append(text.constData(), text.size());
}

void appendGeneral(QByteArray& out, float value) {
    CharBuffer text;
    generalChars(text, value, 7, false);
    out.append(text.constData(), text.size());
}

QString query(double value) {
    if (std::isnan(value))
        return QStringLiteral("NULL");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-1e999") : QStringLiteral("1e999");
    char text[32];
    const auto res = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, res.ptr - text);
}

std::optional<double> parseNumber(QStringView text) {
    const char16_t* s = text.utf16();
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(s[i]))
        ++i;
    while (end > i && isBlank(s[end - 1]))
        --end;

    // Validate by hand and copy the ASCII characters: from_chars alone would also
    // take "inf", "nan" and hex digits after a prefix, and no '+' sign at all.
    CharBuffer ascii;
    bool negative = false;
    if (i < end && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        if (negative)
            ascii.append('-');
        ++i;
    }
    // Decimal exponent of the first non-zero digit, to tell underflow from overflow.
    int lead = 0;
    bool seenNonZero = false;
    int mantissaDigits = 0;
    while (i < end && isDigit(s[i])) {
        if (seenNonZero)
            ++lead;
        else if (s[i] != u'0')
            seenNonZero = true;
        ascii.append(char(s[i]));
        ++mantissaDigits;
        ++i;
    }
    if (i < end && s[i] == u'.') {
        ascii.append('.');
        ++i;
        while (i < end && isDigit(s[i])) {
            if (!seenNonZero) {
                --lead;
                seenNonZero = s[i] != u'0';
            }
            ascii.append(char(s[i]));
            ++mantissaDigits;
            ++i;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;

    int exponent = 0;
    if (i < end && (s[i] == u'e' || s[i] == u'E')) {
        ascii.append('e');
        ++i;
        bool negativeExponent = false;
        if (i < end && (s[i] == u'+' || s[i] == u'-')) {
            negativeExponent = s[i] == u'-';
            ascii.append(char(s[i]));
            ++i;
        }
        int exponentDigits = 0;
        while (i < end && isDigit(s[i])) {
            exponent = std::min(exponent * 10 + int(s[i] - u'0'), 1'000'000);
            ascii.append(char(s[i]));
            ++exponentDigits;
            ++i;
        }
        if (exponentDigits == 0)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != end)
        return std::nullopt;

    double value = 0.0;
    const auto res = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        if (lead + exponent < 0)
            return negative ? -0.0 : 0.0; // too small: reads as zero, like the store
        return std::nullopt;
    }
    if (res.ec != std::errc() || res.ptr != ascii.constData() + ascii.size())
        return std::nullopt;
    return value;
}

} // namespace varilume::fmt
