// Recognition of light-curve columns by name (and time systems by value), and the
// mapping's text form that is remembered per header.
#include "import/ColumnRoles.h"
#include "import/MappingText.h"

#include <QTest>

using namespace varilume;

Q_DECLARE_METATYPE(TimeSystem)

class TestColumnRoles : public QObject {
    Q_OBJECT

private slots:
    void recognises_data();
    void recognises();
    void mappingText_data();
    void mappingText();
    void damagedMappingText_data();
    void damagedMappingText();
    void headerKeys();
    void headerless_data();
    void headerless();
};

namespace {

/// One letter per role: I Ignore, T Time, M Magnitude, X Flux, U Uncertainty, B Band,
/// F Flag, L Limit.
QString letters(const std::vector<ColumnRole>& roles) {
    QString s;
    for (const ColumnRole r : roles)
        s += QStringLiteral("ITMXUBFL")[int(r)];
    return s;
}

TableLayout layoutOf(const QString& header, const QString& row) {
    TableLayout l;
    l.columns = header.split(QLatin1Char(','));
    l.units = QStringList(l.columns.size(), QString());
    if (!row.isEmpty())
        l.sample.push_back(row.split(QLatin1Char(',')));
    l.headerLine = 1;
    l.firstDataLine = 2;
    return l;
}

} // namespace

// Guards the name rules for every survey layout, the time system judged from the
// values, and "sure" only when nothing competes.
void TestColumnRoles::recognises_data() {
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("roles");
    QTest::addColumn<QString>("bands");
    QTest::addColumn<TimeSystem>("system");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("zeroPoint");
    QTest::addColumn<bool>("sure");
    QTest::addColumn<QString>("why");

    using T = TimeSystem;
    QTest::addRow("JD, Magnitude, Band") << "JD,Magnitude,Band"
                                         << "2458000.5,7.2,V"
                                         << "TMB"
                                         << ",," << T::JD << 0.0 << 0.0 << true << "";
    QTest::addRow("all-sky survey") << "HJD,UT Date,Camera,FWHM,Limit,mag,mag_err,flux(mJy),"
                                       "flux_err,Filter"
                                    << "2458000.5,2017-09-04.0,bd,1.5,17.4,12.3,0.02,41,0.8,V"
                                    << "TIIIIMUIIB"
                                    << ",,,,,,,,," << T::JD << 0.0 << 0.0 << true << "";
    QTest::addRow("transient survey") << "mjd,mag,magerr,filtercode,catflags"
                                      << "58000.0,12.3,0.02,zg,0"
                                      << "TMUBF"
                                      << ",,,," << T::MJD << 2400000.5 << 0.0 << true << "";
    QTest::addRow("transient survey, two time columns")
        << "oid,expid,hjd,mjd,mag,magerr,catflags,filtercode,ra,dec"
        << "1,2,2458000.5,58000.0,12.3,0.02,0,zr,10.1,20.2"
        << "IITIMUFBII"
        << ",,,,,,,,," << T::JD << 0.0 << 0.0 << false << "2 time columns: hjd, mjd";
    QTest::addRow("epoch photometry, one row per band")
        << "source_id,solution_id,transit_id,band,time,mag,flux,flux_error,flux_over_error,"
           "rejected_by_photometry,rejected_by_variability,other_flags"
        << "1,2,3,G,2803.0,12.3,2e5,1e3,200,false,false,1"
        << "IIIBTMXUIFFI"
        << ",,,,,,,,,,," << T::GaiaBJD << 2455197.5 << 0.0 << true << "";
    QTest::addRow("space photometry names")
        << "BTJD,SAP_FLUX,SAP_FLUX_ERR,PDCSAP_FLUX,PDCSAP_FLUX_ERR,QUALITY"
        << "1000.5,1e4,10,1e4,10,0"
        << "TIIXUF"
        << ",,,,," << T::BTJD << 2457000.0 << 0.0 << true << "";
    QTest::addRow("offset in the name") << "HJD-2450000,mag,err"
                                        << "8000.5,12.3,0.02"
                                        << "TMU"
                                        << ",," << T::ReducedJD << 2450000.0 << 0.0 << true << "";
    QTest::addRow("wide table") << "JD,Vmag,e_Vmag,Bmag,e_Bmag"
                                << "2458000.5,12.3,0.02,13,0.05"
                                << "TMUMU"
                                << ",V,V,B,B" << T::JD << 0.0 << 0.0 << true << "";
    QTest::addRow("one band in the name") << "JD,Vmag,e_Vmag"
                                          << "2458000.5,12.3,0.02"
                                          << "TMU"
                                          << ",V,V" << T::JD << 0.0 << 0.0 << true << "";
    QTest::addRow("two magnitudes compete")
        << "jd,mag,mag_auto,err"
        << "2458000.5,12.3,12.4,0.02"
        << "TMIU"
        << ",,," << T::JD << 0.0 << 0.0 << false << "2 magnitude columns: mag, mag_auto";
    QTest::addRow("hjd near 58000 is JD - 2400000")
        << "hjd,mag"
        << "58000.2,12.3"
        << "TM"
        << "," << T::ReducedJD << 2400000.0 << 0.0 << false
        << "hjd values near 58000 taken as JD - 2400000";
    QTest::addRow("hjd near 8000 is JD - 2450000")
        << "hjd,mag"
        << "8000.2,12.3"
        << "TM"
        << "," << T::ReducedJD << 2450000.0 << 0.0 << false
        << "hjd values near 8000 taken as JD - 2450000";
    QTest::addRow("date near 58000 is MJD")
        << "date,mag,err"
        << "58000.2,12.3,0.1"
        << "TMU"
        << ",," << T::MJD << 2400000.5 << 0.0 << false << "date values near 58000 taken as MJD";
    QTest::addRow("HMJD upper case") << "HMJD,MAG,ERR"
                                     << "58000.5,12.3,0.1"
                                     << "TMU"
                                     << ",," << T::MJD << 2400000.5 << 0.0 << true << "";
    QTest::addRow("alert names") << "obsjd,magpsf,sigmapsf,fid"
                                 << "2458000.5,18.1,0.1,1"
                                 << "TMUI"
                                 << ",,," << T::JD << 0.0 << 0.0 << true << "";
    QTest::addRow("limit and flag columns") << "jd,mag,err,upper_limit,flag"
                                            << "2458000.5,12.3,0.1,0,0"
                                            << "TMULF"
                                            << ",,,," << T::JD << 0.0 << 0.0 << true << "";
    QTest::addRow("relative flux, barycentric") << "BJD_TDB,rel_flux,rel_flux_err"
                                                << "2458000.5,1.01,0.002"
                                                << "TXU"
                                                << ",," << T::JD << 0.0 << 0.0 << true << "";
    QTest::addRow("flux in mJy glued to the name") << "jd,flux_mJy,flux_err"
                                                   << "2458000.5,1.5,0.1"
                                                   << "TXU"
                                                   << ",," << T::JD << 0.0 << 16.4 << true << "";
    QTest::addRow("flux in uJy in brackets") << "mjd,flux(uJy),fluxerr"
                                             << "58000.5,15,1"
                                             << "TXU"
                                             << ",," << T::MJD << 2400000.5 << 23.9 << true << "";
    QTest::addRow("Julian Date with a blank") << "Julian Date,Mag,Err"
                                              << "2458000.5,7.2,0.1"
                                              << "TMU"
                                              << ",," << T::JD << 0.0 << 0.0 << true << "";
    QTest::addRow("no brightness")
        << "t,x"
        << "2458000.5,7.2"
        << "TI"
        << "," << T::JD << 0.0 << 0.0 << false << "no magnitude or flux column among: t, x";
    QTest::addRow("no time") << "ra,dec,mag"
                             << "10,20,12"
                             << "IIM"
                             << ",," << T::JD << 0.0 << 0.0 << false
                             << "no time column among: ra, dec, mag";
    QTest::addRow("calendar date is no time") << "date,JD,mag"
                                              << "2017-09-04,2458000.5,12.3"
                                              << "ITM"
                                              << ",," << T::JD << 0.0 << 0.0 << true << "";
}

void TestColumnRoles::recognises() {
    QFETCH(QString, header);
    QFETCH(QString, row);
    const TableMapping m = recogniseColumns(layoutOf(header, row));
    QTEST(letters(m.roles), "roles");
    QStringList bands(m.bandOfColumn.begin(), m.bandOfColumn.end());
    QTEST(bands.join(QLatin1Char(',')), "bands");
    QTEST(m.timeSystem, "system");
    QTEST(m.timeOffset, "offset");
    QTEST(m.fluxZeroPoint, "zeroPoint");
    QTEST(m.why, "why");
    QTEST(m.sure, "sure");
}

// Guards the remembered mapping: what the dialog settled comes back unchanged.
void TestColumnRoles::mappingText_data() {
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("row");
    QTest::addColumn<bool>("keepFlagged");
    QTest::addColumn<bool>("keepLimits");
    QTest::addRow("wide table") << "JD,Vmag,e_Vmag,Bmag,e_Bmag"
                                << "2458000.5,1,1,1,1" << false << true;
    QTest::addRow("every role") << "mjd,mag,magerr,filtercode,catflags,upper_limit,flux"
                                << "58000,1,1,g,0,0,1" << true << false;
    QTest::addRow("bands with separators") << "JD,V;x=mag,e_V;x=mag"
                                           << "2458000.5,1,1" << true << true;
}

void TestColumnRoles::mappingText() {
    QFETCH(QString, header);
    QFETCH(QString, row);
    TableMapping m = recogniseColumns(layoutOf(header, row));
    QFETCH(bool, keepFlagged);
    QFETCH(bool, keepLimits);
    m.keepFlagged = keepFlagged;
    m.keepUpperLimits = keepLimits;
    m.timeSystem = TimeSystem::Offset;
    m.timeOffset = 2455197.5 + 1e-9;
    m.fluxZeroPoint = 25.1234567890123;
    if (header.contains(QLatin1Char(';')))
        m.bandOfColumn = {QString(), QStringLiteral("V;x=,%"), QStringLiteral("V;x=,%")};
    const QString text = mappingToText(m);
    QVERIFY2(!text.contains(QLatin1Char('\n')), qPrintable(text));
    const std::optional<TableMapping> back = mappingFromText(text, qsizetype(m.roles.size()));
    QVERIFY2(back.has_value(), qPrintable(text));
    m.sure = true;
    m.why.clear();
    QVERIFY2(*back == m, qPrintable(text + QStringLiteral(" -> ") + mappingToText(*back)));
}

// Guards against a damaged or outdated remembered text being applied to a file.
void TestColumnRoles::damagedMappingText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("columns");
    const QString good = QStringLiteral(
        "roles=time,mag,err;bands=,,;time=JD;offset=0;zp=0;flagged=skip;limits=keep");
    QTest::addRow("good") << good << 3;
    QTest::addRow("other column count") << good << 4;
    QTest::addRow("unknown role") << QString(good).replace("err;", "wrong;") << 3;
    QTest::addRow("unknown time system") << QString(good).replace("=JD", "=TCB") << 3;
    QTest::addRow("offset not a number") << QString(good).replace("offset=0", "offset=x") << 3;
    QTest::addRow("a part missing") << QString(good).remove(";zp=0") << 3;
    QTest::addRow("bands not matching roles") << QString(good).replace("bands=,,", "bands=,") << 3;
    QTest::addRow("empty") << QString() << 3;
}

void TestColumnRoles::damagedMappingText() {
    QFETCH(QString, text);
    QFETCH(int, columns);
    const bool good = QByteArray(QTest::currentDataTag()) == "good";
    QCOMPARE(mappingFromText(text, columns).has_value(), good);
}

// Guards remembering per header: the same names give the same key, whatever their case.
void TestColumnRoles::headerKeys() {
    const TableLayout a = layoutOf(QStringLiteral("JD,Mag,Err"), QString());
    const TableLayout b = layoutOf(QStringLiteral("jd, mag ,ERR"), QString());
    const TableLayout c = layoutOf(QStringLiteral("JD,Mag,Band"), QString());
    TableLayout fits = a;
    fits.kind = TableLayout::Kind::Fits;
    QCOMPARE(headerKey(a), headerKey(b));
    QVERIFY(headerKey(a) != headerKey(c));
    QVERIFY(headerKey(a) != headerKey(fits));
    QVERIFY(headerKey(a).startsWith(QStringLiteral("table-")));
    QCOMPARE(headerKey(a).size(), 46);
}

// Guards tables without a header (a microlensing survey's "HJD mag err" rows): the
// usual order offered, the time system judged from the values, never sure.
void TestColumnRoles::headerless_data() {
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("roles");
    QTest::addColumn<double>("offset");
    QTest::addColumn<QString>("why");
    QTest::addRow("full HJD") << "2458000.5,12.3,0.01,1.2"
                              << "TMUI" << 0.0
                              << "no header: the columns are taken as time, magnitude, uncertainty";
    QTest::addRow("HJD - 2450000, two columns")
        << "8000.2,12.3"
        << "TM" << 2450000.0
        << "no header: the columns are taken as time, magnitude; col1 values near 8000 taken as "
           "JD - 2450000";
}

void TestColumnRoles::headerless() {
    QFETCH(QString, row);
    TableLayout l = layoutOf(QString(), row);
    l.columns.clear();
    for (qsizetype c = 1; c <= l.sample[0].size(); ++c)
        l.columns << QStringLiteral("col%1").arg(c);
    l.units = QStringList(l.columns.size(), QString());
    l.headerLine = 0;
    const TableMapping m = recogniseColumns(l);
    QTEST(letters(m.roles), "roles");
    QTEST(m.timeOffset, "offset");
    QTEST(m.why, "why");
    QVERIFY(!m.sure);
}

QTEST_GUILESS_MAIN(TestColumnRoles)
#include "tst_columnroles.moc"
