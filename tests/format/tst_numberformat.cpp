#include "format/NumberFormat.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

#include <charconv>
#include <string>

#include <cmath>
#include <limits>

using namespace varilume;

namespace {

// 17 significant digits tell any two doubles apart, so this compares exactly
// where QCOMPARE on doubles would be fuzzy.
QString exact(double v) {
    return QString::number(v, 'g', 17);
}

// Rounds a digit string half up at index keep: digits from there on become 0.
void roundAt(std::string& d, int keep) {
    if (keep < 0 || keep >= int(d.size()))
        return;
    bool up = d[std::size_t(keep)] >= '5';
    for (std::size_t i = std::size_t(keep); i < d.size(); ++i)
        d[i] = '0';
    for (int i = keep - 1; up && i >= 0; --i) {
        char& c = d[std::size_t(i)];
        up = c == '9';
        c = up ? '0' : char(c + 1);
    }
}

// The value's exact expansion (60 decimals hold every value used here) rounded
// half up to sig significant digits, then to `decimals` decimals.
double roundedExactly(double v, int sig, int decimals) {
    char text[512];
    const auto res =
        std::to_chars(text, text + sizeof text, std::fabs(v), std::chars_format::fixed, 60);
    std::string d(text, res.ptr);
    const int point = int(d.find('.')) + 1; // after the leading 0 added below
    d.erase(d.find('.'), 1);
    d.insert(0, "0"); // room for a carry
    const auto first = d.find_first_not_of('0');
    if (first == std::string::npos)
        return 0;
    roundAt(d, int(first) + sig);
    roundAt(d, point + decimals);
    d.insert(std::size_t(point), ".");
    return (v < 0 ? -1 : 1) * std::stod(d);
}

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kRejected = std::nan("");

} // namespace

class TestNumberFormat : public QObject {
    Q_OBJECT

private slots:
    // Every case runs under a locale that writes a decimal comma: files and
    // queries must read the same on every machine.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void pattern_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("sigDigits");
        QTest::addColumn<QString>("expected");
        QTest::addRow("increment 0.1") << 0.1 << "#0.0###" << 15 << "0.1";
        QTest::addRow("magnitude below ten padded") << 9.5 << "00.000#" << 15 << "09.500";
        QTest::addRow("half on the 15-digit text") << 12.34565 << "00.000#" << 15 << "12.3457";
        QTest::addRow("sorted negative phase") << -0.25 << "#0.0000000" << 15 << "-0.2500000";
        QTest::addRow("JD padded") << 54101.5 << "0000000.0000" << 15 << "0054101.5000";
        QTest::addRow("single at 7 digits") << double(1.00005f) << "#0.0000" << 7 << "1.0001";
        QTest::addRow("single bin edge")
            << double(-1.490116e-08f) << "#0.00000000" << 7 << "-0.00000001";
        QTest::addRow("carry into a new digit") << 9.99995 << "#0.0000" << 15 << "10.0000";
        QTest::addRow("half away from zero") << 0.125 << "0.00" << 15 << "0.13";
        QTest::addRow("negative half away from zero") << -0.125 << "0.00" << 15 << "-0.13";
        QTest::addRow("rounding to zero unsigned") << -0.00004 << "#0.0000" << 15 << "0.0000";
        QTest::addRow("wider than the pattern") << 123.5 << "0.0" << 15 << "123.5";
        QTest::addRow("not a number") << std::nan("") << "#0.0000" << 15 << "NaN";
        QTest::addRow("single exactly half at its eighth digit")
            << double(0.14453125f) << "#0.0000000" << 7 << "0.1445313";
        QTest::addRow("half at the last significant digit") << 1.125 << "0.000" << 3 << "1.130";
        QTest::addRow("significant digits rounded before the decimals")
            << 0.012345649 << "#0.0000000" << 7 << "0.0123457";
    }

    // Guards the rounding (half away from zero on the decimal text of sigDigits
    // digits, carrying into a new digit), '0' padding and dropped '#' zeros.
    void pattern() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(int, sigDigits);
        QFETCH(QString, expected);
        QCOMPARE(fmt::pattern(value, pattern, sigDigits), expected);
    }

    void exactDecimals_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("sigDigits");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<bool>("single");
        QTest::addRow("phases") << "#0.0000000" << 7 << -1.0 << 1.0 << true;
        QTest::addRow("magnitudes") << "00.000#" << 7 << -2.0 << 25.0 << true;
        QTest::addRow("Julian Dates") << "0000000.0000" << 15 << 0.0 << 2500000.0 << false;
        QTest::addRow("tiny values") << "#0.00000000" << 15 << -1e-6 << 1e-6 << false;
    }

    // Guards the digits against an independent oracle: the value's exact decimal
    // expansion rounded half up, first to the significant digits, then to the
    // decimals, over many random values and exact binary fractions.
    void exactDecimals() {
        QFETCH(QString, pattern);
        QFETCH(int, sigDigits);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(bool, single);
        QRandomGenerator rng(5);
        const int decimals = int(pattern.size() - pattern.indexOf(u'.') - 1);
        for (int i = 0; i < 20000; ++i) {
            double v = from + (to - from) * rng.generateDouble();
            if (i % 2)
                v = std::ldexp(std::round(std::ldexp(v, 16)), -16); // ties are likely
            if (single)
                v = double(float(v));
            const double oracle = roundedExactly(v, sigDigits, decimals);
            const QString got = fmt::pattern(v, pattern, sigDigits);
            if (got.toDouble() != oracle)
                QFAIL(qPrintable(QString("%1 gives %2, the oracle %3")
                                     .arg(v, 0, 'g', 17)
                                     .arg(got)
                                     .arg(oracle, 0, 'g', 17)));
        }
    }

    void texts_data() {
        QTest::addColumn<QString>("form"); // double, single, signed, query or parse
        QTest::addColumn<double>("value"); // for parse: the value read, kRejected if none
        QTest::addColumn<QString>("text");
        auto row = [](const char* name, const char* form, double value, const QString& text) {
            QTest::addRow("%s %s", form, name) << form << value << text;
        };
        row("JD", "double", 2452000.5, "2452000.5");
        row("zero before the point", "double", -0.25, "-0.25");
        row("15 digits", "double", 2.0 / 3.0, "0.666666666666667");
        row("last fixed small", "double", 0.0001, "0.0001");
        row("first exponent small", "double", 1e-5, "1E-05");
        row("last fixed large", "double", 123456789012345.0, "123456789012345");
        row("rounding into exponent form", "double", 999999999999999.9, "1E+15");
        row("infinity", "double", -kInf, "-Inf");
        row("magnitude", "single", 12.8f, "12.8");
        row("eight digits exponent", "single", 12345678.0f, "1.234568E+07");
        row("tie away from zero", "single", 1234568.5f, "1234569");
        // Bin edges of one cycle at width 0.1 drift in single precision.
        float edge = -0.5f;
        for (int k = 0; k < 5; ++k)
            edge = float(double(edge) + double(0.1f));
        row("bin edge near zero", "single", edge, "-1.490116E-08");
        row("bin edge below 0.1", "single", float(double(edge) + double(0.1f)), "0.09999999");
        row("half day", "signed", 0.5, " .5");
        row("negative phase strip", "signed", -0.25, "-.25");
        row("stepped period", "signed", 200.0f - 0.1f, " 199.9");
        row("small exponent", "signed", 1e-5f, " 1E-05");
        row("all digits needed", "query", -1.0 / 3.0, "-0.3333333333333333");
        row("small", "query", 1e-7, "1e-07");
        row("smallest subnormal", "query", std::numeric_limits<double>::denorm_min(), "5e-324");
        row("infinity", "query", kInf, "1e999");
        row("not a number", "query", std::nan(""), "NULL");
        row("blanks around", "parse", 12.5, "  12.5 \t");
        row("signed point", "parse", -0.5, "-.5");
        row("written exponent form", "parse", -1.490116e-08, "-1.490116E-08");
        row("digits beyond double", "parse", 3.14159265358979323846,
            "3.14159265358979323846264338327950288");
        row("underflow reads as zero", "parse", 0, "1e-400");
        row("empty", "parse", kRejected, "");
        row("trailing text", "parse", kRejected, "12abc");
        row("decimal comma", "parse", kRejected, "1,5");
        row("exponent without digits", "parse", kRejected, "1e");
        row("inf", "parse", kRejected, "inf");
        row("overflow", "parse", kRejected, "1e999");
    }

    // Guards the general forms: 15 digits for doubles and 7 for singles (12.8f
    // must not show its widened digits), the exponent switch, the bin-edge drift
    // shown as is, the blank sign of period boxes, query numbers that read back
    // as the very same double so BETWEEN bounds do not move, and what the
    // importers' text conversion accepts and rejects.
    void texts() {
        QFETCH(QString, form);
        QFETCH(double, value);
        QFETCH(QString, text);
        if (form == "parse") {
            const std::optional<double> read = fmt::parseNumber(text);
            QCOMPARE(read ? exact(*read) : "rejected",
                     std::isnan(value) ? "rejected" : exact(value));
            return;
        }
        QCOMPARE(form == "double"   ? fmt::general(value)
                 : form == "single" ? fmt::general(float(value))
                 : form == "signed" ? fmt::signedSingle(float(value))
                                    : fmt::query(value),
                 text);
        if (form == "query" && std::isfinite(value))
            QCOMPARE(exact(fmt::parseNumber(text).value_or(kInf)), exact(value));
    }
};

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
