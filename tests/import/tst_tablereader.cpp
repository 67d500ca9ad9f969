// Reading light-curve tables: every survey layout to the same observations, fluxes
// to magnitudes, upper limits and flags, and every skipped row reported.
#include "import/TableReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace varilume;

class TestTableReader : public QObject {
    Q_OBJECT

private slots:
    void layouts_data();
    void layouts();
    void fluxToMagnitude();
    void options_data();
    void options();
    void skippedRowsReported();
    void streamsAndCancels();
    void hostile_data();
    void hostile();
};

namespace {

const QString kTables = QStringLiteral(VARILUME_TEST_DATA "/import/data/tables/");

/// An observation as text: JD|mag|err|band, then "|<" for a limit and "|F" when flagged.
QString text(const TableObservation& o) {
    QString s = QStringLiteral("%1|%2|%3|%4")
                    .arg(o.jd, 0, 'f', 5)
                    .arg(o.mag, 0, 'f', 4)
                    .arg(std::isnan(o.err) ? QStringLiteral("-") : QString::number(o.err, 'f', 4))
                    .arg(o.band);
    if (o.upperLimit)
        s += QStringLiteral("|<");
    if (o.flagged)
        s += QStringLiteral("|F");
    return s;
}

struct Read {
    TableLayout layout;
    TableMapping mapping;
    TableReadResult result;
    std::vector<TableObservation> obs;
    QStringList lines;   // text() of each observation
    QStringList skipped; // "line:reason" of each skipped row
    QStringList skippedText;
};

Read readAll(const QString& path, const std::function<void(TableMapping&)>& adjust = {}) {
    Read r;
    r.layout = sniffTable(path);
    r.mapping = recogniseColumns(r.layout);
    if (adjust)
        adjust(r.mapping);
    r.result = readTable(
        path, r.layout, r.mapping,
        [&](std::span<const TableObservation> chunk) {
            r.obs.insert(r.obs.end(), chunk.begin(), chunk.end());
            return true;
        },
        [&](const SkippedRow& s) {
            r.skipped << QStringLiteral("%1:%2").arg(s.line).arg(describe(s.reason));
            r.skippedText << s.text;
        });
    for (const TableObservation& o : r.obs)
        r.lines << text(o);
    return r;
}

QString written(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The same three observations, as each layout writes them.
const QString kA = QStringLiteral("2458000.50000|12.3450|0.0210|");
const QString kB = QStringLiteral("2458001.25000|12.5000|0.0300|");
const QString kC = QStringLiteral("2458003.00000|12.1250|0.0150|");

} // namespace

// Guards each layout (delimiters, headers, line ends, encodings, time systems,
// missing values, sentinels, limits, flags) against the same observations.
void TestTableReader::layouts_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("observations");
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<bool>("sure");

    QTest::addRow("all-sky survey, >17.3 limit")
        << "allsky.csv" << QStringList{kA + "V", kB + "V", "2458002.10000|17.3000|-|V|<", kC + "V"}
        << QStringList() << true;
    QTest::addRow("transient survey, MJD and catflags")
        << "transient.csv" << QStringList{kA + "zg", kB + "zg", kC + "zg"}
        << QStringList{"4:flagged"} << true;
    QTest::addRow("epoch photometry, Gaia time, one row per band")
        << "epoch_phot.csv"
        << QStringList{"2458000.50000|12.3450|0.0054|G", "2458000.50000|12.9000|0.0109|BP",
                       "2458003.00000|12.1250|-|G"}
        << QStringList{"4:flagged", "6:flagged"} << true;
    QTest::addRow("IPAC with a null row") << "ipac.tbl" << QStringList{kA + "V", kB + "V", kC + "V"}
                                          << QStringList{"10:missing value"} << true;
    QTest::addRow("ECSV") << "table.ecsv" << QStringList{kA + "V", kB + "V", kC + "V"}
                          << QStringList() << true;
    QTest::addRow("semicolons, decimal commas, quoted names, CRLF")
        << "spreadsheet.csv" << QStringList{kA, kB, kC} << QStringList{"4:missing value"} << true;
    QTest::addRow("blanks, title, commented header, rule")
        << "blanks.txt" << QStringList{kA, kB, kC} << QStringList() << true;
    QTest::addRow("TABs, CR line ends, UTF-8 mark")
        << "cr_bom.txt" << QStringList{kA, kB, kC} << QStringList() << true;
    QTest::addRow("UTF-16, HJD-2450000")
        << "utf16.csv" << QStringList{kA, kB, kC} << QStringList() << true;
    QTest::addRow("wide table, sentinels")
        << "wide.csv" << QStringList{kA + "V", "2458000.50000|13.1000|0.0500|B", kB + "V", kC + "V"}
        << QStringList{"3:missing value", "4:missing value"} << true;
    QTest::addRow("JD,Magnitude,Band, CRLF, not in time order")
        << "jd_magnitude_band.csv"
        << QStringList{"2458003.00000|7.2000|-|V", "2458000.50000|7.9000|-|Vis.",
                       "2458001.25000|8.1000|-|V", "2457999.00000|9.5000|-|Vis.|<",
                       "2458002.00000|6.9500|-|B"}
        << QStringList() << true;
}

void TestTableReader::layouts() {
    QFETCH(QString, file);
    const Read r = readAll(kTables + file);
    QVERIFY2(r.layout.error.isEmpty(), qPrintable(r.layout.error));
    QVERIFY2(r.result.ok, qPrintable(r.result.error));
    QTEST(r.mapping.sure, "sure");
    QTEST(r.lines, "observations");
    QTEST(r.skipped, "skipped");
    QCOMPARE(r.result.loaded, qint64(r.obs.size()));
    QCOMPARE(r.result.skippedTotal(), qint64(r.skipped.size()));
}

// Guards flux -> AB magnitude and the uncertainty through it; numbers from
// tools/table_flux_reference.py. Fluxes that have no magnitude are skipped by reason.
void TestTableReader::fluxToMagnitude() {
    const Read r = readAll(kTables + QStringLiteral("flux_mjy.csv"));
    QVERIFY2(r.result.ok, qPrintable(r.result.error));
    QCOMPARE(r.mapping.timeSystem, TimeSystem::BTJD);
    QCOMPARE(r.mapping.fluxZeroPoint, 16.40);
    QCOMPARE(r.obs.size(), std::size_t(2));
    QCOMPARE(r.obs[0].jd, 2458000.5);
    QCOMPARE(r.obs[1].jd, 2458001.25);
    QVERIFY(std::fabs(r.obs[0].mag - 13.900000000000) < 1e-9);
    QVERIFY(std::fabs(r.obs[0].err - 0.010857362048) < 1e-9);
    QVERIFY(std::fabs(r.obs[1].mag - 15.405149978320) < 1e-9);
    QVERIFY(std::fabs(r.obs[1].err - 0.021714724095) < 1e-9);
    QCOMPARE(r.skipped, QStringList({"4:non-positive flux", "5:non-positive flux", "6:NaN flux"}));
    QCOMPARE(r.result.skipped[std::size_t(SkipReason::NonPositiveFlux)], 2);
    QCOMPARE(r.result.skipped[std::size_t(SkipReason::NaNFlux)], 1);
}

// Guards the choices on flagged rows and upper limits, and limit columns.
void TestTableReader::options_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("keepFlagged");
    QTest::addColumn<bool>("keepLimits");
    QTest::addColumn<QStringList>("observations");
    QTest::addColumn<QStringList>("skipped");

    QTest::addRow("limits skipped")
        << "allsky.csv" << false << false << QStringList{kA + "V", kB + "V", kC + "V"}
        << QStringList{"4:upper limit"};
    QTest::addRow("flagged kept") << "transient.csv" << true << true
                                  << QStringList{kA + "zg", kB + "zg",
                                                 "2458002.10000|12.9000|0.0400|zg|F", kC + "zg"}
                                  << QStringList();
    QTest::addRow("limit column") << "limits.csv" << false << true
                                  << QStringList{kA, "2458001.25000|14.0000|-||<", kC}
                                  << QStringList{"5:flagged"};
    QTest::addRow("limit column, limits skipped")
        << "limits.csv" << false << false << QStringList{kA, kC}
        << QStringList{"3:upper limit", "5:flagged"};
}

void TestTableReader::options() {
    QFETCH(QString, file);
    QFETCH(bool, keepFlagged);
    QFETCH(bool, keepLimits);
    QTemporaryDir dir;
    QString path = kTables + file;
    if (file == QStringLiteral("limits.csv"))
        path = written(dir, file,
                       "jd,mag,err,upper_limit,flag\n2458000.5,12.345,0.021,0,0\n"
                       "2458001.25,14.0,,yes,no\n2458003.0,12.125,0.015,false,false\n"
                       "2458004.0,12.2,0.02,0,true\n");
    const Read r = readAll(path, [&](TableMapping& m) {
        m.keepFlagged = keepFlagged;
        m.keepUpperLimits = keepLimits;
    });
    QVERIFY2(r.result.ok, qPrintable(r.result.error));
    QVERIFY2(r.mapping.sure, qPrintable(r.mapping.why));
    QTEST(r.lines, "observations");
    QTEST(r.skipped, "skipped");
}

// Guards "never silently": every data row is loaded or reported, with its line
// number, its reason and its text.
void TestTableReader::skippedRowsReported() {
    QTemporaryDir dir;
    const QString path = written(dir, QStringLiteral("bad.csv"),
                                 "# comment\nJD,Mag,Err\n2458000.5,12.345,0.021\n"
                                 "2458000.6,abc,0.1\n,12.1,0.1\nNaN,12.1,0.1\n2458000.7,NaN,0.1\n"
                                 "2458000.8,99.99,0.1\n1e300,12.1,0.1\n2458000.9,12.2,-1\n"
                                 "x,y\n2458001.0,12.3\n");
    const Read r = readAll(path);
    QVERIFY2(r.result.ok, qPrintable(r.result.error));
    QCOMPARE(r.lines, QStringList({"2458000.50000|12.3450|0.0210|", "2458000.90000|12.2000|-|",
                                   "2458001.00000|12.3000|-|"}));
    QCOMPARE(r.skipped, QStringList({"4:unreadable number", "5:missing time", "6:missing time",
                                     "7:missing value", "8:missing value", "9:unreadable number",
                                     "11:unreadable number"}));
    QCOMPARE(r.skippedText[0], QStringLiteral("2458000.6,abc,0.1"));
    QCOMPARE(r.skippedText[6], QStringLiteral("x,y"));
    QCOMPARE(r.result.loaded + r.result.skippedTotal(), qint64(10));
}

// Guards streaming: many chunks, progress to the end, and a cancel that stops at once.
void TestTableReader::streamsAndCancels() {
    QTemporaryDir dir;
    QByteArray bytes = "jd,mag\n";
    const int rows = 50000;
    for (int i = 0; i < rows; ++i)
        bytes += QByteArray::number(2458000.0 + i * 0.01, 'f', 2) + ",12." +
                 QByteArray::number(i % 10) + "\n";
    const QString path = written(dir, QStringLiteral("long.csv"), bytes);
    const TableLayout layout = sniffTable(path);
    const TableMapping mapping = recogniseColumns(layout);
    int chunks = 0;
    qint64 seen = 0;
    qint64 lastDone = -1;
    qint64 lastTotal = 0;
    const auto count = [&](std::span<const TableObservation> c) {
        ++chunks;
        seen += qint64(c.size());
        return true;
    };
    const TableReadResult whole =
        readTable(path, layout, mapping, count, {}, [&](qint64 done, qint64 total) {
            QVERIFY(done >= lastDone);
            lastDone = done;
            lastTotal = total;
        });
    QVERIFY2(whole.ok, qPrintable(whole.error));
    QCOMPARE(seen, qint64(rows));
    QCOMPARE(whole.loaded, qint64(rows));
    QVERIFY(chunks > 1);
    QCOMPARE(lastDone, qint64(bytes.size()));
    QCOMPARE(lastTotal, qint64(bytes.size()));

    int calls = 0;
    const TableReadResult cancelled = readTable(path, layout, mapping,
                                                [&](std::span<const TableObservation>) {
                                                    ++calls;
                                                    return false;
                                                },
                                                {});
    QVERIFY(!cancelled.ok);
    QVERIFY(cancelled.cancelled);
    QCOMPARE(calls, 1);
}

// Guards against crashes and silent partial reads on hostile input: each file gives
// a one-line error, at sniffing or at reading.
void TestTableReader::hostile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    QByteArray huge = "JD,Mag\n2458000.5,12.3\n";
    huge += QByteArray(3 << 20, '7');
    QTest::addRow("huge last line") << "huge.csv" << huge;
    QTest::addRow("truncated inside a quote")
        << "cut.csv" << QByteArray("JD,Mag,Band\n2458000.5,12.3,\"V\n");
    QTest::addRow("NUL bytes") << "nul.csv" << QByteArray("JD,Mag\n\0\0\0\0", 11);
    QTest::addRow("FITS card, then junk")
        << "junk.fits" << QByteArray("SIMPLE  =                    T") + QByteArray(100, '\x01');
    QTest::addRow("not FITS, named FITS") << "lc.fits" << QByteArray("hello");
    QTest::addRow("UTF-16 mark, odd length") << "odd.csv" << QByteArray("\xff\xfeJ\0D\0,", 7);
}

void TestTableReader::hostile() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = written(dir, name, bytes);
    const Read r = readAll(path);
    const QString error = !r.layout.error.isEmpty() ? r.layout.error : r.result.error;
    if (name == QStringLiteral("cut.csv") || name == QStringLiteral("huge.csv")) {
        // Readable in part: the good row loads and the rest is reported.
        QVERIFY2(r.result.ok, qPrintable(r.result.error));
        QCOMPARE(r.result.loaded, qint64(1));
        QCOMPARE(r.result.skippedTotal(), qint64(name == QStringLiteral("cut.csv") ? 0 : 1));
        return;
    }
    QVERIFY2(!error.isEmpty(), "hostile input passed without an error");
    QVERIFY2(!error.contains(QLatin1Char('\n')), qPrintable(error));
    QVERIFY(!r.result.ok);
}

QTEST_GUILESS_MAIN(TestTableReader)
#include "tst_tablereader.moc"
