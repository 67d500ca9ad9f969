// The working store: the query texts the program runs, conversion on append, the
// StDev aggregate, the plot columns and their phases, and the store file itself.
#include "store/ObsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

#include <cmath>

using namespace varilume;

namespace {

ObsRecord obs(const QString& jd, const QString& mag, const QString& faint = {},
              std::int32_t color = 65280) {
    ObsRecord r;
    r.Star = QStringLiteral("RR LYR");
    r.JD = jd;
    r.Mag = mag;
    r.Faint = faint;
    r.PunktFarb = color;
    return r;
}

void copyTemplate(const QString& path) {
    QFile::copy(QStringLiteral(VARILUME_TEMPLATE), path);
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// "code description" of the StoreError that f throws, empty when it throws none.
template <typename F> QString failure(F f) {
    try {
        f();
    } catch (const StoreError& e) {
        return QString::number(e.code()) + u' ' + e.description();
    }
    return QString();
}

// Descriptors of this process open on the file (Linux, where removing an open
// file succeeds and so proves nothing).
int openHandles(const QString& path) {
    int n = 0;
    const QString target = QFileInfo(path).canonicalFilePath();
    for (const QFileInfo& fd :
         QDir(QStringLiteral("/proc/self/fd"))
             .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        n += !target.isEmpty() && fd.symLinkTarget() == target;
    return n;
}

// A bound copy of the template in a folder of its own.
struct Store {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Varilume.mdb"));
    ObsStore store;

    Store() {
        copyTemplate(path);
        store.bind(path);
    }

    void load(const QList<ObsRecord>& rows) {
        store.beginAppend();
        for (const ObsRecord& r : rows)
            store.append(r);
        store.commitAppend();
    }

    QStringList column(const QString& sql, const QString& field) {
        QStringList out;
        for (Recordset rs = store.query(sql); !rs.eof(); rs.moveNext())
            out << rs.text(field);
        return out;
    }
};

// Rows chosen around the window 2450000.5 .. 2450010 of the plot query.
const QList<ObsRecord> kTable{
    obs("2450005", "10.2"),    obs("2450000.5", "9.8"),  // lower bound
    obs("2450010", "11.5"),                              // upper bound
    obs("2450000.4", "9.1"),                             // just below
    obs("2450003", "12", "<"), obs("2450010.1", "10.7"), // fainter-than, just above
};
// The plot query, window bounds to fill in.
const QString kWindow =
    QStringLiteral("SELECT * FROM Obs WHERE JD BETWEEN %1 AND %2 AND FAINT <> '<' ORDER BY JD; ");

} // namespace

class TestObsStore : public QObject {
    Q_OBJECT

private slots:
    void queryTexts_data();
    void queryTexts();
    void conversionOnAppend_data();
    void conversionOnAppend();
    void stDev_data();
    void stDev();
    void phasesReachQueries();
    void plotColumnsMatchPlotQuery_data();
    void plotColumnsMatchPlotQuery();
    void unusableFile_data();
    void unusableFile();
    void unbindReleasesFile();
};

// Guards ordering, the inclusive BETWEEN, the "<" filter keeping empty Faint, COUNT, ID
// order across a rebind, field names in any case and error 3021 on an empty result.
void TestObsStore::queryTexts_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("ascending Mag, fainter-than included")
        << QStringLiteral("Select * From Obs Order by Mag; ") << QStringLiteral("Mag")
        << QStringList{"9.1", "9.8", "10.2", "10.7", "11.5", "12"};
    QTest::addRow("ascending JD, field name in lower case")
        << QStringLiteral("Select * From Obs Order by JD; ") << QStringLiteral("jd")
        << QStringList{"2450000.4", "2450000.5", "2450003", "2450005", "2450010", "2450010.1"};
    QTest::addRow("ID order is insertion order")
        << QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; ") << QStringLiteral("JD")
        << QStringList{"2450005", "2450000.5", "2450010", "2450000.4", "2450003", "2450010.1"};
    QTest::addRow("window inclusive, fainter-than left out, empty Faint kept")
        << kWindow.arg("2450000.5", "2450010") << QStringLiteral("JD")
        << QStringList{"2450000.5", "2450005", "2450010"};
    QTest::addRow("count, field name in lower case")
        << QStringLiteral("SELECT COUNT(*) AS MyCount FROM Obs ;") << QStringLiteral("mycount")
        << QStringList{"6"};
    QTest::addRow("window of fainter-than rows only")
        << kWindow.arg("2450003", "2450003") << QStringLiteral("JD") << QStringList();
}

void TestObsStore::queryTexts() {
    QFETCH(QString, sql);
    QFETCH(QString, field);
    QFETCH(QStringList, expected);
    Store s;
    s.load(kTable.mid(0, 3));
    s.store.unbind();
    s.store.bind(s.path);
    s.load(kTable.mid(3));
    QCOMPARE(s.column(sql, field), expected);
    if (expected.isEmpty()) {
        Recordset rs = s.store.query(sql);
        const QString noRecord = QStringLiteral("3021 No current record.");
        QCOMPARE(failure([&] { rs.moveFirst(); }), noRecord);
        QCOMPARE(failure([&] { rs.moveLast(); }), noRecord);
        QCOMPARE(failure([&] { rs.single(QStringLiteral("Mag")); }), noRecord);
    }
}

// Guards the conversion of JD and Mag text on append (Mag as a single), 3421 for
// anything else, and no text ever reaching a number column by any statement.
void TestObsStore::conversionOnAppend_data() {
    QTest::addColumn<QString>("jd");
    QTest::addColumn<QString>("mag");
    QTest::addColumn<bool>("converts");

    QTest::addRow("blanks, exponent, Mag rounded to a single")
        << QStringLiteral(" 2.4500035E6 ") << QStringLiteral(" 12.3456789 ") << true;
    QTest::addRow("Mag not a number")
        << QStringLiteral("2450000") << QStringLiteral("abc") << false;
    QTest::addRow("JD empty") << QString() << QStringLiteral("9") << false;
    QTest::addRow("Mag with trailing text")
        << QStringLiteral("2450000") << QStringLiteral("9.5x") << false;
    QTest::addRow("Mag beyond a single")
        << QStringLiteral("2450000") << QStringLiteral("1e39") << false;
}

void TestObsStore::conversionOnAppend() {
    QFETCH(QString, jd);
    QFETCH(QString, mag);
    QFETCH(bool, converts);
    Store s;
    s.store.beginAppend();
    s.store.append(obs("2449999", "8"));
    QCOMPARE(failure([&] { s.store.append(obs(jd, mag)); }),
             converts ? QString() : QStringLiteral("3421 Data type conversion error."));
    // The row before the failure stays in the batch, visible before the commit.
    QCOMPARE(s.store.count(), qint64(converts ? 2 : 1));
    s.store.commitAppend();
    QCOMPARE(s.store.count(), qint64(converts ? 2 : 1));
    // The file itself refuses text from any other statement.
    QVERIFY(
        !failure([&] { s.store.execute(QStringLiteral("UPDATE Obs SET Mag = 'abc'")); }).isEmpty());
    QCOMPARE(
        s.column(QStringLiteral("SELECT COUNT(*) AS MyCount FROM Obs WHERE typeof(JD) <> 'real' "
                                "OR typeof(Mag) <> 'real'"),
                 QStringLiteral("MyCount")),
        QStringList{"0"});
    if (converts) {
        Recordset last = s.store.query(QStringLiteral("SELECT * FROM Obs WHERE ID = 2"));
        QCOMPARE(last.number(QStringLiteral("JD")), jd.toDouble());
        // The single's own value, not the decimal text's.
        QCOMPARE(last.number(QStringLiteral("Mag")), double(mag.toFloat()));
        QCOMPARE(last.single(QStringLiteral("Mag")), mag.toFloat());
    }
}

// Guards StDev: the sample deviation (n - 1), null below two rows, only the rows
// the query selects, and no loss of digits for values far from zero.
void TestObsStore::stDev_data() {
    QTest::addColumn<std::vector<float>>("phases");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("null");
    QTest::addColumn<double>("expected");

    const QString bin =
        QStringLiteral("SELECT StDev(Mag) AS [SD] FROM Obs WHERE Phas BETWEEN -0.5 AND -0.4 AND "
                       "FAINT <> '<' AND Phas <> 0  ; ");
    QTest::addRow("sample deviation of three, bound included, null phase left out")
        << std::vector<float>{-0.45f, -0.5f, -0.4375f, NAN} << bin << false << 1.0;
    QTest::addRow("one row gives null")
        << std::vector<float>{-0.45f, 0.1f, 0.1f, 0.1f} << bin << true << 0.0;
    QTest::addRow("no row gives null")
        << std::vector<float>{0.3f, 0.3f, 0.3f, 0.3f} << bin << true << 0.0;
    QTest::addRow("JD values far from zero")
        << std::vector<float>{} << QStringLiteral("SELECT StDev(JD) AS [SD] FROM Obs") << false
        << std::sqrt(0.05 / 3);
}

void TestObsStore::stDev() {
    QFETCH(std::vector<float>, phases);
    QFETCH(QString, sql);
    QFETCH(bool, null);
    QFETCH(double, expected);
    Store s;
    s.load({obs("2450000.1", "10"), obs("2450000.2", "11"), obs("2450000.3", "12"),
            obs("2450000.4", "20")});
    s.store.setPhases(0, phases);
    Recordset rs = s.store.query(sql);
    QCOMPARE(rs.isNull(QStringLiteral("SD")), null);
    if (!null)
        QVERIFY2(std::fabs(rs.number(QStringLiteral("SD")) - expected) < 1e-7,
                 qPrintable(rs.text(QStringLiteral("SD"))));
}

// Guards the phase export reading stale phases: what setPhases/setPhase left must
// be in Obs.Phas when the phase-ordered query runs, NaN as null.
void TestObsStore::phasesReachQueries() {
    Store s;
    s.load({obs("2450004", "10"), obs("2450001", "11"), obs("2450002", "12", "<"),
            obs("2450003", "13"), obs("2450005", "14")});
    // Plot rows in JD order: 2450001, 2450003, 2450004, 2450005.
    s.store.setPhases(0, std::vector<float>{0.3f, -0.25f, NAN, 0.125f});
    const QString byPhase = QStringLiteral(" SELECT * FROM Obs WHERE FAINT <> '<' ORDER BY PHAS; ");
    QCOMPARE(s.column(byPhase, QStringLiteral("JD")),
             (QStringList{"2450004", "2450003", "2450005", "2450001"}));
    QCOMPARE(s.column(byPhase, QStringLiteral("Phas")), (QStringList{"", "-0.25", "0.125", "0.3"}));
    Recordset rs = s.store.query(byPhase);
    QCOMPARE(failure([&] { rs.single(QStringLiteral("Phas")); }).left(2), QStringLiteral("94"));

    // A later plot overwrites; the next query sees only the new phase.
    s.store.setPhase(3, -0.5f);
    QCOMPARE(s.column(byPhase, QStringLiteral("Phas")), (QStringList{"", "-0.5", "-0.25", "0.3"}));
}

// Guards the plot reading other rows than the plot query would: window() over
// plotColumns() must give the rows, order and values of that query, also after
// the columns are loaded again from the file.
void TestObsStore::plotColumnsMatchPlotQuery_data() {
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");

    QTest::addRow("ties in load order within and across batches, fainter-than left out")
        << 2450000.0 << 2450004.0;
    QTest::addRow("bounds inclusive, fractional") << 2450001.25 << 2450003.0;
    QTest::addRow("window between rows") << 2450001.5 << 2450001.9;
}

void TestObsStore::plotColumnsMatchPlotQuery() {
    QFETCH(double, from);
    QFETCH(double, to);
    const QList<ObsRecord> rows{obs("2450003", "10", "", 1),       obs("2450001.25", "11", "", 2),
                                obs("2450003", "12", "", 3),       obs("2450002", "13", "", 4),
                                obs("2450003", "14", "<", 5),      obs("2450003", "9.5", "", 6),
                                obs("2450001.2500001", "8", "", 7)};
    const auto rowText = [](double jd, float mag, std::int32_t color) {
        return QStringLiteral("%1 %2 %3").arg(jd, 0, 'g', 17).arg(mag, 0, 'g', 9).arg(color);
    };
    Store s;
    s.load(rows.mid(0, 3));
    s.load(rows.mid(3));

    QStringList fromQuery;
    const QString plotQuery = kWindow.arg(from, 0, 'g', 17).arg(to, 0, 'g', 17);
    for (Recordset rs = s.store.query(plotQuery); !rs.eof(); rs.moveNext())
        fromQuery << rowText(rs.number(QStringLiteral("JD")), rs.single(QStringLiteral("Mag")),
                             rs.integer(QStringLiteral("PunktFarb")));
    for (int pass = 0; pass < 2; ++pass) {
        const auto [first, last] = s.store.window(from, to);
        const ObsStore::PlotColumns c = s.store.plotColumns();
        QVERIFY(first <= last && last <= c.jd.size());
        QCOMPARE(c.mag.size(), c.jd.size());
        QCOMPARE(c.color.size(), c.jd.size());
        QStringList fromColumns;
        for (std::size_t i = first; i < last; ++i)
            fromColumns << rowText(c.jd[i], c.mag[i], c.color[i]);
        QCOMPARE(fromColumns, fromQuery);
        s.store.unbind();
        s.store.bind(s.path);
    }
}

// Guards a wrong or damaged store file being taken as an empty store, or failing
// with a message that does not say which file and why.
void TestObsStore::unusableFile_data() {
    QTest::addColumn<QByteArray>("content"); // bytes written, or SQL making a database
    QTest::addColumn<QString>("reason");

    QTest::addRow("missing file") << QByteArray() << QStringLiteral("Could not find file");
    QTest::addRow("garbage bytes") << QByteArray("\x13\x7f garbage, no SQLite header").repeated(200)
                                   << QStringLiteral("file is not a database");
    QTest::addRow("database without Obs")
        << QByteArray("CREATE TABLE Other (ID INTEGER PRIMARY KEY)")
        << QStringLiteral("no table Obs");
}

void TestObsStore::unusableFile() {
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Varilume.mdb"));
    if (content.startsWith("CREATE")) {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, content.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    } else if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    ObsStore store;
    const QString error = failure([&] { store.bind(path); });
    QVERIFY2(error.startsWith(QStringLiteral("3000 ")) && error.contains(reason) &&
                 error.contains(QDir::toNativeSeparators(path)),
             qPrintable(error));
    QVERIFY(!store.isBound());
    QCOMPARE(openHandles(path), 0);
    QVERIFY(!failure([&] { store.count(); }).isEmpty());
    // The same store then takes a good file.
    copyTemplate(dir.filePath(QStringLiteral("Good.mdb")));
    store.bind(dir.filePath(QStringLiteral("Good.mdb")));
    QCOMPARE(store.count(), qint64(0));
}

// Guards the clear and shutdown path: unbind() keeps an open batch's rows, closes a
// result set still held, and frees the file to be deleted and replaced by a fresh copy.
void TestObsStore::unbindReleasesFile() {
    Store s;
    s.store.beginAppend();
    for (const ObsRecord& r : kTable)
        s.store.append(r);
    Recordset rs = s.store.query(QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; "));
    QVERIFY(openHandles(s.path) > 0 || !QDir(QStringLiteral("/proc/self/fd")).exists());
    s.store.unbind();
    QVERIFY(!s.store.isBound());
    QCOMPARE(openHandles(s.path), 0);
    QVERIFY(rs.eof());
    QCOMPARE(failure([&] { rs.moveFirst(); }).left(4), QStringLiteral("3000"));
    s.store.bind(s.path);
    QCOMPARE(s.store.count(), qint64(kTable.size()));
    QCOMPARE(s.store.plotColumns().jd.size(), std::size_t(kTable.size() - 1));

    s.store.unbind();
    QVERIFY(QFile::remove(s.path));
    copyTemplate(s.path);
    s.store.bind(s.path);
    QCOMPARE(s.store.count(), qint64(0));
    QVERIFY(s.store.plotColumns().jd.empty());
}

QTEST_GUILESS_MAIN(TestObsStore)
#include "tst_obsstore.moc"
