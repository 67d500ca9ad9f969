// FITS light curves: a table written with cfitsio here, recognised and read from
// disk and from memory; damaged files give a clear error.
#include "import/FitsTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <fitsio.h>

using namespace varilume;

class TestFitsTable : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void recognisesLightCurve();
    void reads_data();
    void reads();
    void damaged_data();
    void damaged();

private:
    QTemporaryDir dir_;
    QString path_;
    QByteArray bytes_;
};

namespace {

/// A space-photometry light curve: an empty primary HDU, then LIGHTCURVE with TIME,
/// SAP_FLUX, PDCSAP_FLUX, PDCSAP_FLUX_ERR, QUALITY and BJDREFI = 2457000.
bool writeLightCurve(const QString& path) {
    fitsfile* f = nullptr;
    int status = 0;
    const QByteArray name = QFile::encodeName(path); // taken literally: no [] syntax
    ffdkinit(&f, name.constData(), &status);
    ffcrim(f, 8, 0, nullptr, &status);
    char* ttype[] = {const_cast<char*>("TIME"),        const_cast<char*>("SAP_FLUX"),
                     const_cast<char*>("PDCSAP_FLUX"), const_cast<char*>("PDCSAP_FLUX_ERR"),
                     const_cast<char*>("QUALITY"),     const_cast<char*>("FLUX_VECTOR")};
    char* tform[] = {const_cast<char*>("D"), const_cast<char*>("E"), const_cast<char*>("E"),
                     const_cast<char*>("E"), const_cast<char*>("J"), const_cast<char*>("3E")};
    char* tunit[] = {const_cast<char*>("BJD - 2457000, days"),
                     const_cast<char*>("e-/s"),
                     const_cast<char*>("e-/s"),
                     const_cast<char*>("e-/s"),
                     const_cast<char*>(""),
                     const_cast<char*>("")};
    ffcrtb(f, BINARY_TBL, 0, 6, ttype, tform, tunit, "LIGHTCURVE", &status);
    long bjdrefi = 2457000;
    double bjdreff = 0.0;
    ffpkyj(f, "BJDREFI", bjdrefi, "integer part of BTJD reference date", &status);
    ffpkyd(f, "BJDREFF", bjdreff, 10, "fraction of the day in BTJD reference date", &status);
    double time[] = {1000.5, 1001.25, 1002.0, 1003.0};
    float sap[] = {9000, 9100, 9200, 9300};
    float flux[] = {10000, 12500, NAN, 11000};
    float err[] = {10, 25, 5, 10};
    int quality[] = {0, 0, 0, 128};
    float vec[12] = {};
    ffpcld(f, 1, 1, 1, 4, time, &status);
    ffpcle(f, 2, 1, 1, 4, sap, &status);
    ffpcle(f, 3, 1, 1, 4, flux, &status);
    ffpcle(f, 4, 1, 1, 4, err, &status);
    ffpclk(f, 5, 1, 1, 4, quality, &status);
    ffpcle(f, 6, 1, 1, 12, vec, &status);
    ffclos(f, &status);
    return status == 0;
}

struct Read {
    TableReadResult result;
    std::vector<TableObservation> obs;
    QStringList skipped;
};

Read readWith(const std::function<TableReadResult(const ObservationSink&, const SkipSink&)>& run) {
    Read r;
    r.result = run(
        [&](std::span<const TableObservation> c) {
            r.obs.insert(r.obs.end(), c.begin(), c.end());
            return true;
        },
        [&](const SkippedRow& s) {
            r.skipped << QStringLiteral("%1:%2:%3").arg(s.line).arg(describe(s.reason), s.text);
        });
    return r;
}

} // namespace

void TestFitsTable::initTestCase() {
    path_ = dir_.filePath(QStringLiteral("tess [sector 1].fits"));
    QVERIFY(writeLightCurve(path_));
    QFile f(path_);
    QVERIFY(f.open(QIODevice::ReadOnly));
    bytes_ = f.readAll();
}

// Guards the FITS recognition: the table extension, the time zero from BJDREFI, and
// PDCSAP_FLUX preferred to SAP_FLUX with its uncertainty and QUALITY as the flag.
void TestFitsTable::recognisesLightCurve() {
    const TableLayout l = sniffTable(path_);
    QVERIFY2(l.error.isEmpty(), qPrintable(l.error));
    QCOMPARE(l.kind, TableLayout::Kind::Fits);
    QCOMPARE(l.fitsExtension, QStringLiteral("LIGHTCURVE"));
    QCOMPARE(l.fitsHdu, 2);
    QCOMPARE(l.fitsRows, 4);
    QCOMPARE(l.fitsTimeZero, 2457000.0);
    QCOMPARE(l.columns, QStringList({"TIME", "SAP_FLUX", "PDCSAP_FLUX", "PDCSAP_FLUX_ERR",
                                     "QUALITY", "FLUX_VECTOR"}));
    QCOMPARE(l.units[1], QStringLiteral("e-/s"));
    QCOMPARE(l.sample.size(), std::size_t(4));
    QCOMPARE(l.sample[1], QStringList({"1001.25", "9100", "12500", "25", "0", "[3 values]"}));
    const TableMapping m = recogniseColumns(l);
    QVERIFY2(m.sure, qPrintable(m.why));
    QCOMPARE(m.roles, std::vector<ColumnRole>({ColumnRole::Time, ColumnRole::Ignore,
                                               ColumnRole::Flux, ColumnRole::Uncertainty,
                                               ColumnRole::Flag, ColumnRole::Ignore}));
    QCOMPARE(m.timeSystem, TimeSystem::BTJD);
    QCOMPARE(m.timeOffset, 2457000.0);
    QCOMPARE(m.fluxZeroPoint, 0.0);
}

// Guards reading from disk and from memory alike: fluxes to magnitudes (numbers from
// tools/table_flux_reference.py), a NaN flux and a flagged row reported by row.
void TestFitsTable::reads_data() {
    QTest::addColumn<bool>("fromMemory");
    QTest::addRow("from disk") << false;
    QTest::addRow("from memory") << true;
}

void TestFitsTable::reads() {
    QFETCH(bool, fromMemory);
    const TableLayout l = fromMemory ? sniffFitsMemory(bytes_) : sniffFits(path_);
    QVERIFY2(l.error.isEmpty(), qPrintable(l.error));
    const TableMapping m = recogniseColumns(l);
    const Read r = readWith([&](const ObservationSink& sink, const SkipSink& skip) {
        return fromMemory ? readFitsMemory(bytes_, l, m, sink, skip)
                          : readTable(path_, l, m, sink, skip);
    });
    QVERIFY2(r.result.ok, qPrintable(r.result.error));
    QCOMPARE(r.obs.size(), std::size_t(2));
    QCOMPARE(r.obs[0].jd, 2458000.5);
    QCOMPARE(r.obs[1].jd, 2458001.25);
    QVERIFY(std::fabs(r.obs[0].mag - -10.000000000000) < 1e-9);
    QVERIFY(std::fabs(r.obs[0].err - 0.001085736205) < 1e-9);
    QVERIFY(std::fabs(r.obs[1].mag - -10.242275032520) < 1e-9);
    QVERIFY(std::fabs(r.obs[1].err - 0.002171472410) < 1e-9);
    QCOMPARE(r.obs[1].line, 2);
    QCOMPARE(r.skipped,
             QStringList({"3:NaN flux:TIME=1002 PDCSAP_FLUX=nan PDCSAP_FLUX_ERR=5 QUALITY=0",
                          "4:flagged:TIME=1003 PDCSAP_FLUX=11000 PDCSAP_FLUX_ERR=10 QUALITY=128"}));
}

// Guards against crashes on damaged FITS: cut short, a header without END, and a
// column of several values mapped as the time.
void TestFitsTable::damaged_data() {
    QTest::addColumn<int>("keep");
    QTest::addColumn<bool>("vectorTime");
    QTest::addRow("cut inside the table") << 2880 * 2 + 100 << false;
    QTest::addRow("cut inside the first header") << 1000 << false;
    QTest::addRow("primary header only") << 2880 << false;
    QTest::addRow("vector column as time") << -1 << true;
    // cfitsio 4.2 overruns a buffer on some such cards; they never reach it.
    QTest::addRow("a control byte in the table header") << -2 << false;
}

void TestFitsTable::damaged() {
    QFETCH(int, keep);
    QFETCH(bool, vectorTime);
    QByteArray bytes = keep < 0 ? bytes_ : bytes_.left(keep);
    if (keep == -2)
        bytes[2880 + 9 * 80 + 12] = '\x12'; // inside the value of the table's tenth card
    TableLayout l = sniffFitsMemory(bytes);
    TableMapping m = recogniseColumns(l);
    if (vectorTime && l.error.isEmpty()) {
        m.roles[0] = ColumnRole::Ignore;
        m.roles[5] = ColumnRole::Time;
    }
    const Read r = readWith([&](const ObservationSink& sink, const SkipSink& skip) {
        return readFitsMemory(bytes, l, m, sink, skip);
    });
    const QString error = l.error.isEmpty() ? r.result.error : l.error;
    QVERIFY2(!error.isEmpty(), "damaged FITS read without an error");
    QVERIFY2(!error.contains(QLatin1Char('\n')), qPrintable(error));
    QVERIFY(!r.result.ok);
}

QTEST_GUILESS_MAIN(TestFitsTable)
#include "tst_fitstable.moc"
