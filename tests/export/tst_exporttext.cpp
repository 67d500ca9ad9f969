#include "export/ExportText.h"

#include <QLocale>
#include <QTest>

using namespace varilume;
using namespace varilume::exporttext;

class TestExportText : public QObject {
    Q_OBJECT

private slots:
    // Files must not follow a locale that writes a decimal comma.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void padNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addRow("two integer digits") << "12.34"
                                            << "12.34 ";
        QTest::addRow("exactly the width") << "12.345"
                                           << "12.345";
        QTest::addRow("negative") << "-1.2"
                                  << "-1.2  ";
        QTest::addRow("wider still") << "123.45678"
                                     << "123.45678";
        QTest::addRow("blanks around the parts") << " 9 . 5 "
                                                 << " 9.5  ";
        QTest::addRow("second point dropped") << "1.2.3"
                                              << " 1.2  ";
        QTest::addRow("no integer part") << ".5"
                                         << ".5    ";
        QTest::addRow("no point at all") << "abc"
                                         << "abc   ";
    }

    // Guards the alignment, and that no text makes it fail. The common forms
    // stand in the whole export files that tst_phaseexport compares.
    void padNumber() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(PadNumber(text, 6), expected);
    }

    void jdLine_data() {
        QTest::addColumn<double>("jd");
        QTest::addColumn<float>("phase");
        QTest::addColumn<QString>("magText");
        QTest::addColumn<QByteArray>("expected");
        QTest::addRow("example") << 2454101.5 << 0.25f << "9.5"
                                 << QByteArray("2454101.5000    0.25000000     9.5  \r\n");
        QTest::addRow("eighth decimal from the seven-digit text")
            << 2450000.0 << 0.123456789f << "8"
            << QByteArray("2450000.0000    0.12345680     8.0  \r\n");
        QTest::addRow("small negative keeps its sign")
            << 2450000.0 << -0.0000001f << "8"
            << QByteArray("2450000.0000   -0.00000010     8.0  \r\n");
        // The text "-1E-09" is negative, the pattern gives no sign: ten characters.
        QTest::addRow("negative rounding to zero")
            << 2450000.0 << -1e-9f << "8" << QByteArray("2450000.0000   0.00000000     8.0  \r\n");
        QTest::addRow("null magnitude")
            << 2450000.0 << 0.5f << "" << QByteArray("2450000.0000    0.50000000    .0    \r\n");
    }

    void jdLine() {
        QFETCH(double, jd);
        QFETCH(float, phase);
        QFETCH(QString, magText);
        QFETCH(QByteArray, expected);
        QByteArray out;
        appendJDLine(out, jd, phase, jdOrderMagField(magText));
        QCOMPARE(out, expected);
    }

    void zoneLines_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("expected");
        auto sorted = [](float p, float m) {
            QByteArray out;
            appendSortedLine(out, p, m);
            return out;
        };
        auto bin = [](float p, float m, float sd) {
            QByteArray out;
            appendBinLine(out, p, m, sd);
            return out;
        };
        QTest::addRow("sorted example")
            << sorted(0.25f, 9.5f) << QByteArray("0.2500000     09.500\r\n");
        QTest::addRow("sorted negative")
            << sorted(-0.25f, 12.3456f) << QByteArray("-0.2500000    12.3456\r\n");
        QTest::addRow("sorted whole magnitude")
            << sorted(0.0f, 10.0f) << QByteArray("0.0000000     10.000\r\n");
        QTest::addRow("bin") << bin(-0.359375f, 11.0f, 1.4142135f)
                             << QByteArray("-0.3593750    11.000        1.4142        \r\n");
        QTest::addRow("bin that did not qualify")
            << bin(0, 0, 0) << QByteArray("0.0000000     00.000        0.0000        \r\n");
    }

    // Guards the 14-column print zones and the number patterns.
    void zoneLines() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, expected);
        QCOMPARE(line, expected);
    }

    void headers() {
        const QDateTime when(QDate(2026, 1, 5), QTime(21, 7, 9));
        const QByteArray bins = binHeader(QStringLiteral("  RR LYR "), when);
        QVERIFY2(bins.startsWith("Bins plotted by Varilume for RR LYR\r\non "), bins.constData());
        QVERIFY(bins.endsWith("\r\n\r\n    Phase        Mag       Std Dev\r\n"));
        QCOMPARE(bins.count("\r\n"), 4);
    }
};

QTEST_MAIN(TestExportText)
#include "tst_exporttext.moc"
