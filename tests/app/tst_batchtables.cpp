// Survey tables through the batch command: recognised by their header, their
// columns by name or by option, and refused with one line when unsettled.
#include "ProgramRun.h"
#include "support/Files.h"

#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace varilume;
using namespace varilume::test;

namespace {

// The batch test's star as a survey's CSV: MJD, a second number, magnitude,
// uncertainty and filter, under the header given, rows newest first.
QByteArray tableStar(const QByteArray& header) {
    QByteArray text = header + "\r\n";
    const QList<QByteArray> lines = twoColumnStar().split('\n');
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const QList<QByteArray> f = lines[i].split(' ');
        if (f.size() < 2)
            continue;
        const double mjd = f[0].toDouble() - 2400000.5;
        text += QByteArray::number(mjd, 'f', 5) + ',' + QByteArray::number(mjd + 0.001, 'f', 5) +
                ',' + f[1] + ",0.02,zg\r\n";
    }
    return text;
}

} // namespace

class TestBatchTables : public QObject {
    Q_OBJECT
private slots:
    void tables_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err"); // part of standard error; empty: the verdict only
        QTest::addRow("recognised by name")
            << QByteArray("mjd,airmass,mag,magerr,filtercode") << QStringList{} << 0 << QString();
        QTest::addRow("two time columns: refused, naming the columns")
            << QByteArray("mjd,hjd,mag,magerr,filtercode") << QStringList{} << 2
            << "the columns are: mjd, hjd, mag, magerr, filtercode. Name them with --time";
        QTest::addRow("two time columns, one named")
            << QByteArray("mjd,hjd,mag,magerr,filtercode") << QStringList{"--time", "mjd"} << 0
            << QString();
        QTest::addRow("columns no name tells")
            << QByteArray("a,b,c,d,e")
            << QStringList{"--time", "a", "--mag", "c", "--err", "d", "--time-offset", "2400000.5"}
            << 0 << QString();
        QTest::addRow("a name no column has")
            << QByteArray("a,b,c,d,e") << QStringList{"--time", "x"} << 2
            << "no column \"x\"; the columns are: a, b, c, d, e";
    }
    // Guards a survey's CSV through the whole command: the period found from
    // MJDs, or one line on standard error and exit 2; nothing left behind.
    void tables() {
        QFETCH(QByteArray, header);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        QTemporaryDir work;
        const QString file = work.filePath(QStringLiteral("star.csv"));
        QVERIFY(writeFile(file, tableStar(header)));
        const QStringList before = listing(work.path());
        const Run r = runProgram(QStringList{"--search", file} + options, work.path());
        QCOMPARE(r.exitCode, exitCode);
        if (err.isEmpty())
            QVERIFY2(exitCode != 0 || !verdictOnError(r.err, file).isEmpty(), qPrintable(r.err));
        else
            QVERIFY2(r.err.contains(err) && r.err.count(u'\n') == 1, qPrintable(r.err));
        if (exitCode == 0)
            QVERIFY2(std::abs(r.out.split(u'\n')[1].split(u',')[1].toDouble() - 3.118) < 3e-3,
                     qPrintable(r.out));
        QCOMPARE(listing(work.path()), before);
    }
};

QTEST_MAIN(TestBatchTables)
#include "tst_batchtables.moc"
