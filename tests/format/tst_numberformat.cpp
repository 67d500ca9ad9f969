#include "format/NumberFormat.h"

#include <QLocale>
#include <QScopeGuard>
#include <QTest>

#include <cmath>
#include <limits>

using namespace varilume;

namespace {

// 17 significant digits tell any two doubles apart, so this compares exactly
// where QCOMPARE on doubles would be fuzzy.
QString exact(double v) {
    return QString::number(v, 'g', 17);
}

} // namespace

class TestNumberFormat : public QObject {
    Q_OBJECT

private slots:
    void pattern_data();
    void pattern();
    void generalDouble_data();
    void generalDouble();
    void generalFloat_data();
    void generalFloat();
    void binEdges_data();
    void binEdges();
    void signedSingle_data();
    void signedSingle();
    void query_data();
    void query();
    void queryRoundTrip_data();
    void queryRoundTrip();
    void parseNumber_data();
    void parseNumber();
    void independentOfLocale();
};

// Guards the pattern rounding (half away from zero on the decimal text), the
// zero padding of '0' places and the dropping of trailing '#' zeros.
void TestNumberFormat::pattern_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("sigDigits");
    QTest::addColumn<QString>("expected");

    // Settings file increment.
    QTest::addRow("increment 0.1") << 0.1 << "#0.0###" << 15 << "0.1";
    QTest::addRow("increment 1 keeps one decimal") << 1.0 << "#0.0###" << 15 << "1.0";
    QTest::addRow("increment rounded to four decimals") << 12.34567 << "#0.0###" << 15 << "12.3457";
    QTest::addRow("single increment 0.1 has no float noise")
        << double(0.1f) << "#0.0###" << 7 << "0.1";
    QTest::addRow("single increment at 15 digits") << double(0.1f) << "#0.0###" << 15 << "0.1";
    QTest::addRow("increment 0.00005 rounds up") << 0.00005 << "#0.0###" << 15 << "0.0001";

    // Cursor readouts.
    QTest::addRow("readout phase") << 0.25 << "0.000000" << 15 << "0.250000";
    QTest::addRow("readout magnitude") << 9.5 << "#0.0000" << 15 << "9.5000";
    QTest::addRow("readout negative phase") << -0.1234567 << "0.000000" << 15 << "-0.123457";

    // Phase-sorted export and bin file.
    QTest::addRow("sorted phase") << 0.25 << "#0.0000000" << 15 << "0.2500000";
    QTest::addRow("sorted negative phase") << -0.25 << "#0.0000000" << 15 << "-0.2500000";
    QTest::addRow("magnitude below ten padded") << 9.5 << "00.000#" << 15 << "09.500";
    QTest::addRow("magnitude fourth decimal kept") << 12.3456 << "00.000#" << 15 << "12.3456";
    QTest::addRow("magnitude zero fourth decimal dropped")
        << 12.34501 << "00.000#" << 15 << "12.345";
    QTest::addRow("magnitude rounded at fourth decimal")
        << 12.34567 << "00.000#" << 15 << "12.3457";
    QTest::addRow("magnitude half on 15-digit text rounds up")
        << 12.34565 << "00.000#" << 15 << "12.3457";
    QTest::addRow("bin standard deviation") << 0.123456 << "0.0000" << 15 << "0.1235";
    QTest::addRow("empty bin zeros") << 0.0 << "00.000#" << 15 << "00.000";

    // JD-ordered export.
    QTest::addRow("JD below a million padded") << 54101.5 << "0000000.0000" << 15 << "0054101.5000";
    QTest::addRow("JD") << 2454101.5 << "0000000.0000" << 15 << "2454101.5000";
    QTest::addRow("JD rounded to four decimals")
        << 2454101.123456 << "0000000.0000" << 15 << "2454101.1235";
    QTest::addRow("JD phase through seven digits")
        << double(0.25f) << "#0.00000000" << 7 << "0.25000000";
    QTest::addRow("JD phase eighth decimal zero")
        << double(0.123456789f) << "#0.00000000" << 7 << "0.12345680";
    QTest::addRow("JD phase eighth decimal at 15 digits")
        << double(0.123456789f) << "#0.00000000" << 15 << "0.12345679";
    QTest::addRow("JD phase tiny negative")
        << double(-1.490116e-08f) << "#0.00000000" << 7 << "-0.00000001";

    // Rounding edges.
    QTest::addRow("rounds up into a new integer digit") << 9.99995 << "#0.0000" << 15 << "10.0000";
    QTest::addRow("just below the carry") << 9.99994 << "#0.0000" << 15 << "9.9999";
    QTest::addRow("carry through all nines") << 999.9996 << "#0.000" << 15 << "1000.000";
    QTest::addRow("half away from zero, exact binary half") << 0.125 << "0.00" << 15 << "0.13";
    QTest::addRow("half away from zero, negative") << -0.125 << "0.00" << 15 << "-0.13";
    QTest::addRow("half to a whole number") << 2.5 << "0" << 15 << "3";
    QTest::addRow("negative half to a whole number") << -2.5 << "0" << 15 << "-3";
    QTest::addRow("first shown digit from a carry") << 0.0005 << "0.000" << 15 << "0.001";
    QTest::addRow("below half of the last digit") << 0.0004 << "0.000" << 15 << "0.000";
    QTest::addRow("float rounds as its 7-digit text")
        << double(1.00005f) << "#0.0000" << 7 << "1.0001";
    QTest::addRow("same float at 15 digits") << double(1.00005f) << "#0.0000" << 15 << "1.0000";

    // Sign and zero.
    QTest::addRow("zero") << 0.0 << "#0.0000" << 15 << "0.0000";
    QTest::addRow("negative zero unsigned") << -0.0 << "#0.0000" << 15 << "0.0000";
    QTest::addRow("negative rounding to zero unsigned") << -0.00004 << "#0.0000" << 15 << "0.0000";
    QTest::addRow("negative rounding up keeps sign") << -0.00005 << "#0.0000" << 15 << "-0.0001";

    // Pattern shapes.
    QTest::addRow("wider than pattern keeps digits") << 123.5 << "0.0" << 15 << "123.5";
    QTest::addRow("large value written in full")
        << 1e20 << "#0.00" << 15 << "100000000000000000000.00";
    QTest::addRow("no integer zero for hash") << 0.5 << "#.00" << 15 << ".50";
    QTest::addRow("point kept without decimals") << 1.0 << "0.#" << 15 << "1.";
    QTest::addRow("no point rounds to integer") << 1234.5 << "#0" << 15 << "1235";
    QTest::addRow("not a number") << std::nan("") << "#0.0000" << 15 << "NaN";
}

void TestNumberFormat::pattern() {
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(int, sigDigits);
    QFETCH(QString, expected);
    QCOMPARE(fmt::pattern(value, pattern, sigDigits), expected);
}

// Guards the general form of a double: 15 digits, leading zero, and the switch
// to exponent form below 1E-04 and from 1E+15.
void TestNumberFormat::generalDouble_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::addRow("colour") << 65280.0 << "65280";
    QTest::addRow("colour J") << 4227200.0 << "4227200";
    QTest::addRow("JD") << 2452000.5 << "2452000.5";
    QTest::addRow("widened JD") << 2449900.5 << "2449900.5";
    QTest::addRow("half") << 0.5 << "0.5";
    QTest::addRow("negative below one") << -0.25 << "-0.25";
    QTest::addRow("zero") << 0.0 << "0";
    QTest::addRow("negative zero") << -0.0 << "0";
    QTest::addRow("one third at 15 digits") << 1.0 / 3.0 << "0.333333333333333";
    QTest::addRow("two thirds rounded") << 2.0 / 3.0 << "0.666666666666667";
    QTest::addRow("binary noise hidden") << 0.1 + 0.2 << "0.3";
    QTest::addRow("last fixed small") << 0.0001 << "0.0001";
    QTest::addRow("small digits kept") << 0.00012345 << "0.00012345";
    QTest::addRow("first exponent small") << 1e-5 << "1E-05";
    QTest::addRow("negative exponent form") << -1.5e-7 << "-1.5E-07";
    QTest::addRow("last fixed large") << 123456789012345.0 << "123456789012345";
    QTest::addRow("first exponent large") << 1e15 << "1E+15";
    QTest::addRow("rounding into exponent form") << 999999999999999.9 << "1E+15";
    QTest::addRow("exponent with mantissa") << 1.5e20 << "1.5E+20";
    QTest::addRow("three exponent digits") << 1e100 << "1E+100";
    QTest::addRow("largest double")
        << std::numeric_limits<double>::max() << "1.79769313486232E+308";
    QTest::addRow("smallest subnormal")
        << std::numeric_limits<double>::denorm_min() << "4.94065645841247E-324";
    QTest::addRow("infinity") << -std::numeric_limits<double>::infinity() << "-Inf";
}

void TestNumberFormat::generalDouble() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(fmt::general(value), expected);
}

// Guards the 7-digit form of singles: magnitudes and periods must not show the
// digits a widening to double would add (12.8 is 12.8000001907349 as a double).
void TestNumberFormat::generalFloat_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("expected");

    QTest::addRow("magnitude") << 12.8f << "12.8";
    QTest::addRow("whole magnitude") << 9.0f << "9";
    QTest::addRow("tenth") << 0.1f << "0.1";
    QTest::addRow("negative below one") << -0.25f << "-0.25";
    QTest::addRow("zero") << 0.0f << "0";
    QTest::addRow("period") << 37.5f << "37.5";
    QTest::addRow("seven digits fixed") << 1234567.0f << "1234567";
    QTest::addRow("eight digits exponent") << 12345678.0f << "1.234568E+07";
    QTest::addRow("ten million exponent") << 10000000.0f << "1E+07";
    QTest::addRow("small exponent") << 1e-5f << "1E-05";
    QTest::addRow("small fixed") << 0.00025f << "0.00025";
    QTest::addRow("tie rounds away from zero") << 1234567.5f << "1234568";
    QTest::addRow("lower tie rounds away from zero") << 1234566.5f << "1234567";
}

void TestNumberFormat::generalFloat() {
    QFETCH(float, value);
    QFETCH(QString, expected);
    QCOMPARE(fmt::general(value), expected);
}

// Guards the bin-edge texts of one cycle at width 0.1: the single-precision
// drift must show as -1.490116E-08 and 0.09999999, not be hidden or widened.
void TestNumberFormat::binEdges_data() {
    QTest::addColumn<float>("edge");
    QTest::addColumn<QString>("expected");

    const char* const expected[] = {"-0.5",       "-0.4", "-0.3", "-0.2", "-0.1", "-1.490116E-08",
                                    "0.09999999", "0.2",  "0.3",  "0.4",  "0.5"};
    const float width = 0.1f;
    float edge = -0.5f;
    for (int k = 0; k < 11; ++k) {
        QTest::addRow("edge %d", k) << edge << QString::fromLatin1(expected[k]);
        edge = float(double(edge) + double(width));
    }
}

void TestNumberFormat::binEdges() {
    QFETCH(float, edge);
    QFETCH(QString, expected);
    QCOMPARE(fmt::general(edge), expected);
}

// Guards the period-box and strip-readout form: blank for the sign, no zero
// before the point.
void TestNumberFormat::signedSingle_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("expected");

    QTest::addRow("start period") << 200.0f << " 200";
    QTest::addRow("half day") << 0.5f << " .5";
    QTest::addRow("reset to one") << 1.0f << " 1";
    QTest::addRow("zero period") << 0.0f << " 0";
    QTest::addRow("phase strip") << 0.25f << " .25";
    QTest::addRow("negative phase strip") << -0.25f << "-.25";
    QTest::addRow("negative half") << -0.5f << "-.5";
    QTest::addRow("stepped period") << 200.0f - 0.1f << " 199.9";
    QTest::addRow("small fixed") << 0.0001f << " .0001";
    QTest::addRow("small exponent") << 1e-5f << " 1E-05";
    QTest::addRow("negative small exponent") << -1.490116e-08f << "-1.490116E-08";
    QTest::addRow("large exponent") << 12345678.0f << " 1.234568E+07";
    QTest::addRow("magnitude") << 12.8f << " 12.8";
}

void TestNumberFormat::signedSingle() {
    QFETCH(float, value);
    QFETCH(QString, expected);
    QCOMPARE(fmt::signedSingle(value), expected);
}

// Guards the numbers placed in query texts: shortest, ".", no blank, and SQL
// words for the values that have no decimal form.
void TestNumberFormat::query_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::addRow("tenth") << 0.1 << "0.1";
    QTest::addRow("JD") << 2452000.5 << "2452000.5";
    QTest::addRow("negative") << -0.5 << "-0.5";
    QTest::addRow("whole") << 200.0 << "200";
    QTest::addRow("all digits needed") << 1.0 / 3.0 << "0.3333333333333333";
    QTest::addRow("widened single") << double(0.1f) << "0.10000000149011612";
    QTest::addRow("small") << 1e-7 << "1e-07";
    QTest::addRow("large") << 1e20 << "1e+20";
    QTest::addRow("infinity") << std::numeric_limits<double>::infinity() << "1e999";
    QTest::addRow("negative infinity") << -std::numeric_limits<double>::infinity() << "-1e999";
    QTest::addRow("not a number") << std::nan("") << "NULL";
}

void TestNumberFormat::query() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(fmt::query(value), expected);
}

// Guards that a number written into a query reads back as the very same double,
// so BETWEEN bounds do not move.
void TestNumberFormat::queryRoundTrip_data() {
    QTest::addColumn<double>("value");

    QTest::addRow("tenth") << 0.1;
    QTest::addRow("negative third") << -1.0 / 3.0;
    QTest::addRow("JD with many decimals") << 2452000.123456789;
    QTest::addRow("bin edge drift") << double(-1.4901161e-08f);
    QTest::addRow("smallest subnormal") << std::numeric_limits<double>::denorm_min();
    QTest::addRow("largest double") << std::numeric_limits<double>::max();
}

void TestNumberFormat::queryRoundTrip() {
    QFETCH(double, value);
    const std::optional<double> back = fmt::parseNumber(fmt::query(value));
    QVERIFY2(back.has_value(), qPrintable(fmt::query(value)));
    QCOMPARE(exact(*back), exact(value));
}

// Guards the store's text conversion: what the importers accept and reject.
void TestNumberFormat::parseNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("expected");

    QTest::addRow("plain") << "12.5" << true << 12.5;
    QTest::addRow("JD") << "2452000.5" << true << 2452000.5;
    QTest::addRow("integer") << "200" << true << 200.0;
    QTest::addRow("blanks around") << "  12.5 \t" << true << 12.5;
    QTest::addRow("leading point") << ".5" << true << 0.5;
    QTest::addRow("trailing point") << "5." << true << 5.0;
    QTest::addRow("plus sign") << "+3" << true << 3.0;
    QTest::addRow("minus sign") << "-0.25" << true << -0.25;
    QTest::addRow("signed point") << "-.5" << true << -0.5;
    QTest::addRow("exponent") << "1.5E-3" << true << 0.0015;
    QTest::addRow("exponent plus") << "1e+20" << true << 1e20;
    QTest::addRow("exponent no sign") << "2E5" << true << 2e5;
    QTest::addRow("written exponent form") << "-1.490116E-08" << true << -1.490116e-08;
    QTest::addRow("digits beyond double")
        << "3.14159265358979323846264338327950288" << true << 3.14159265358979323846;
    QTest::addRow("long text beyond the stack buffer")
        << QString("0.") + QString(100, u'0') + "1" << true << 1e-101;
    QTest::addRow("subnormal kept")
        << "5e-324" << true << std::numeric_limits<double>::denorm_min();
    QTest::addRow("underflow reads as zero") << "1e-400" << true << 0.0;

    QTest::addRow("empty") << "" << false << 0.0;
    QTest::addRow("blanks only") << "   " << false << 0.0;
    QTest::addRow("word") << "abc" << false << 0.0;
    QTest::addRow("trailing text") << "12abc" << false << 0.0;
    QTest::addRow("decimal comma") << "1,5" << false << 0.0;
    QTest::addRow("two points") << "1.2.3" << false << 0.0;
    QTest::addRow("double sign") << "--1" << false << 0.0;
    QTest::addRow("sign only") << "-" << false << 0.0;
    QTest::addRow("point only") << "." << false << 0.0;
    QTest::addRow("blank inside") << "1 2" << false << 0.0;
    QTest::addRow("blank after sign") << "- 1" << false << 0.0;
    QTest::addRow("exponent without digits") << "1e" << false << 0.0;
    QTest::addRow("exponent sign only") << "1e+" << false << 0.0;
    QTest::addRow("exponent without mantissa") << "e5" << false << 0.0;
    QTest::addRow("inf") << "inf" << false << 0.0;
    QTest::addRow("infinity") << "-Infinity" << false << 0.0;
    QTest::addRow("nan") << "nan" << false << 0.0;
    QTest::addRow("hex") << "0x1A" << false << 0.0;
    QTest::addRow("overflow") << "1e999" << false << 0.0;
    QTest::addRow("fullwidth digit") << QString(QChar(0xFF11)) << false << 0.0;
}

void TestNumberFormat::parseNumber() {
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, expected);
    const std::optional<double> value = fmt::parseNumber(text);
    QCOMPARE(value.has_value(), accepted);
    if (accepted)
        QCOMPARE(exact(*value), exact(expected));
}

// Guards against locale-aware conversions: files and queries must read the same
// on a machine whose locale writes a decimal comma.
void TestNumberFormat::independentOfLocale() {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto restore = qScopeGuard([&] { QLocale::setDefault(previous); });

    QCOMPARE(fmt::pattern(1.5, u"#0.0###"), QStringLiteral("1.5"));
    QCOMPARE(fmt::general(2452000.5), QStringLiteral("2452000.5"));
    QCOMPARE(fmt::signedSingle(0.5f), QStringLiteral(" .5"));
    QCOMPARE(fmt::query(0.25), QStringLiteral("0.25"));
    QCOMPARE(fmt::parseNumber(u"1.5"), std::optional<double>(1.5));
    QCOMPARE(fmt::parseNumber(u"1,5"), std::optional<double>());
}

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
