// The working store: the query texts the program runs, conversion on append, the
// StDev aggregate, the plot columns and their phases, and the store file itself.
#include "store/ObsStore.h"
#include "support/TestStore.h"

#include <QFileInfo>
#include <QTest>
#include <sqlite3.h>

#include <cmath>
#include <optional>

using namespace varilume;

namespace {

ObsRecord obs(const QString& jd, const QString& mag, const QString& faint = {},
              std::int32_t color = 65280, const QString& band = {}, const QString& valid = {}) {
    ObsRecord r;
    r.JD = jd;
    r.Mag = mag;
    r.Faint = faint;
    r.PunktFarb = color;
    r.Band = band;
    r.Valid = valid;
    return r;
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
struct Store : test::TestFolder {
    const QString path = state.storePath();

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
    obs("2450005", "11"),        obs("2450000.5", "10"),   // lower bound
    obs("2450010", "12"),                                  // upper bound
    obs("2450000.4", "9.1"),                               // just below
    obs("2450003", "12.5", "<"), obs("2450010.1", "10.7"), // fainter-than, just above
};
// Stands for ObsStore::clear() among the statements of a table.
const QString kClear = QStringLiteral("clear()");
// The plot query, window bounds to fill in.
const QString kWindow =
    QStringLiteral("SELECT * FROM Obs WHERE JD BETWEEN %1 AND %2 AND FAINT <> '<' ORDER BY JD; ");

} // namespace

class TestObsStore : public QObject {
    Q_OBJECT

private slots:
    void queryTexts_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("expected");

        const QString byPhase(" SELECT * FROM Obs WHERE FAINT <> '<' ORDER BY PHAS; ");
        const QString bin("SELECT StDev(Mag) AS [SD] FROM Obs WHERE Phas BETWEEN %1 AND %2 AND "
                          "FAINT <> '<' AND Phas <> 0  ; ");
        QTest::addRow("ascending Mag, fainter-than included")
            << QString("Select * From Obs Order by Mag; ") << "Mag"
            << QStringList{"9.1", "10", "10.7", "11", "12", "12.5"};
        QTest::addRow("ID order is insertion order, field name in lower case")
            << QString(" SELECT * FROM Obs ORDER BY ID ; ") << "jd"
            << QStringList{"2450005", "2450000.5", "2450010", "2450000.4", "2450003", "2450010.1"};
        QTest::addRow("window inclusive, fainter-than left out, empty Faint kept")
            << kWindow.arg("2450000.5", "2450010") << "JD"
            << QStringList{"2450000.5", "2450005", "2450010"};
        QTest::addRow("count, field name in lower case")
            << QString("SELECT COUNT(*) AS MyCount FROM Obs ;") << "mycount" << QStringList{"6"};
        QTest::addRow("window of fainter-than rows only")
            << kWindow.arg("2450003", "2450003") << "JD" << QStringList();
        QTest::addRow("phase order: rows")
            << byPhase << "JD"
            << QStringList{"2450000.4", "2450005", "2450000.5", "2450010", "2450010.1"};
        QTest::addRow("phase order: null first, the later phase seen")
            << byPhase << "Phas" << QStringList{"", "-0.5", "-0.45", "-0.4375", "0.3"};
        QTest::addRow("StDev of three, bound included, null phase left out")
            << bin.arg("-0.5", "-0.4") << "SD" << QStringList{"1"};
        QTest::addRow("StDev of one row is null")
            << bin.arg("0.25", "0.35") << "SD" << QStringList{""};
        QTest::addRow("StDev of JD values far from zero: 0.1 / sqrt 2")
            << QString("SELECT ROUND(StDev(JD), 8) AS SD FROM Obs WHERE JD < 2450001") << "SD"
            << QStringList{"0.07071068"};
    }

    // Guards ordering, the inclusive BETWEEN, the "<" filter keeping empty Faint, COUNT, ID
    // order across a rebind, field names in any case, error 3021 on an empty result, the
    // last plot's phases in Obs.Phas when a query runs (NaN as null, error 94 read as a
    // number) and StDev: n - 1, null below two rows, no digits lost far from zero.
    void queryTexts() {
        QFETCH(QString, sql);
        QFETCH(QString, field);
        QFETCH(QStringList, expected);
        Store s;
        s.load(kTable.mid(0, 3));
        s.store.unbind();
        s.store.bind(s.path);
        s.load(kTable.mid(3));
        // Plot rows in JD order: 2450000.4, 2450000.5, 2450005, 2450010, 2450010.1.
        s.store.setPhases(0, std::vector<float>{NAN, -0.45f, -0.5f, 0.1f, 0.3f});
        s.store.query(QStringLiteral("SELECT COUNT(*) FROM Obs")); // writes those phases
        s.store.setPhase(3, -0.4375f);                             // a later plot overwrites one
        QCOMPARE(s.column(sql, field), expected);
        Recordset rs = s.store.query(sql);
        const QString noRecord = QStringLiteral("3021 No current record.");
        if (expected.isEmpty()) {
            QCOMPARE(failure([&] { rs.moveFirst(); }), noRecord);
            QCOMPARE(failure([&] { rs.moveLast(); }), noRecord);
            QCOMPARE(failure([&] { rs.single(QStringLiteral("Mag")); }), noRecord);
        } else if (expected.front().isEmpty()) {
            QCOMPARE(failure([&] { rs.single(field); }).left(3), QStringLiteral("94 "));
        }
    }

    void conversionOnAppend_data() {
        QTest::addColumn<QString>("jd");
        QTest::addColumn<QString>("mag");
        QTest::addColumn<bool>("converts");

        QTest::addRow("blanks, exponent, Mag rounded to a single")
            << QString(" 2.4500035E6 ") << " 12.3456789 " << true;
        QTest::addRow("JD empty") << QString() << "9" << false;
        QTest::addRow("Mag with trailing text") << QString("2450000") << "9.5x" << false;
        QTest::addRow("Mag beyond a single") << QString("2450000") << "1e39" << false;
    }

    // Guards the conversion of JD and Mag text on append (Mag as a single), 3421 for
    // anything else, and no text ever reaching a number column by any statement.
    void conversionOnAppend() {
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
        QVERIFY(!failure([&] { s.store.execute("UPDATE Obs SET Mag = 'abc'"); }).isEmpty());
        if (converts) {
            Recordset last = s.store.query(QStringLiteral("SELECT * FROM Obs WHERE ID = 2"));
            QCOMPARE(last.number(QStringLiteral("JD")), jd.toDouble());
            // The single's own value, not the decimal text's.
            QCOMPARE(last.number(QStringLiteral("Mag")), double(mag.toFloat()));
            QCOMPARE(last.single(QStringLiteral("Mag")), mag.toFloat());
        }
    }

    void plotColumnsMatchPlotQuery_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");

        QTest::addRow("ties in load order within and across batches, fainter-than left out")
            << 2450000.0 << 2450004.0;
        QTest::addRow("bounds inclusive, fractional") << 2450001.25 << 2450003.0;
        QTest::addRow("window between rows") << 2450001.5 << 2450001.9;
    }

    // Guards the plot reading other rows than the plot query would: window() over
    // plotColumns() must give the rows, order and values of that query, and each
    // row its stored band (trimmed; discrepant rows in a band of their own), also
    // after the columns are loaded again from the file.
    void plotColumnsMatchPlotQuery() {
        QFETCH(double, from);
        QFETCH(double, to);
        const auto rowText = [](double jd, float mag, std::int32_t color, const QString& band) {
            return QStringLiteral("%1 %2 %3 %4")
                .arg(jd, 0, 'g', 17)
                .arg(mag, 0, 'g', 9)
                .arg(color)
                .arg(band);
        };
        Store s;
        s.load({obs("2450003", "10", "", 1, " V "), obs("2450001.25", "11", "", 2, "B"),
                obs("2450003", "12", "", 3, "V", " D")});
        s.load({obs("2450002", "13", "", 4), obs("2450003", "14", "<", 5, "V"),
                obs("2450003", "9.5", "", 6, "Vis."), obs("2450001.2500001", "8", "", 7, "V")});

        QStringList fromQuery;
        const QString plotQuery = kWindow.arg(from, 0, 'g', 17).arg(to, 0, 'g', 17);
        for (Recordset rs = s.store.query(plotQuery); !rs.eof(); rs.moveNext())
            fromQuery << rowText(rs.number("JD"), rs.single("Mag"), rs.integer("PunktFarb"),
                                 isDiscrepant(rs.text("Valid")) ? QStringLiteral("(discrepant)")
                                                                : rs.text("Band").trimmed());
        for (int pass = 0; pass < 2; ++pass) {
            const auto [first, last] = s.store.window(from, to);
            const ObsStore::PlotColumns c = s.store.plotColumns();
            QVERIFY(first <= last && last <= c.jd.size());
            QStringList fromColumns;
            for (std::size_t i = first; i < last; ++i)
                fromColumns << rowText(c.jd[i], c.mag[i], c.color[i],
                                       c.band[i] == kDiscrepantBand
                                           ? QStringLiteral("(discrepant)")
                                           : s.store.bandKeys()[c.band[i]]);
            QCOMPARE(fromColumns, fromQuery);
            s.store.unbind();
            s.store.bind(s.path);
        }
    }

    void extremesMatchQuery_data() {
        QTest::addColumn<QString>("statement"); // run through execute() after the load
        QTest::addColumn<bool>("rebind");
        QTest::addRow("as loaded, fainter-than rows counted") << QString() << false;
        QTest::addRow("read back from the file") << QString() << true;
        QTest::addRow("after rows deleted")
            << QStringLiteral("DELETE FROM Obs WHERE Mag > 11") << false;
        QTest::addRow("after a value changed")
            << QStringLiteral("UPDATE Obs SET JD = 2460000.5 WHERE Mag = 10") << false;
        QTest::addRow("after a statement that changes no row")
            << QStringLiteral("CREATE INDEX ByMag ON Obs (Mag)") << false;
        QTest::addRow("all rows deleted") << QStringLiteral("DELETE FROM Obs") << false;
        QTest::addRow("cleared, with a plot's phases pending") << kClear << false;
        QTest::addRow("cleared, then read back") << kClear << true;
    }

    // Guards the range kept in memory against the table: extremes() must give
    // what MIN() and MAX() over all rows give, whatever changed the table.
    void extremesMatchQuery() {
        QFETCH(QString, statement);
        QFETCH(bool, rebind);
        Store s;
        s.load(kTable);
        if (statement == kClear) {
            s.store.setPhases(0, std::vector<float>(5, 0.25f));
            s.store.clear();
        } else if (!statement.isEmpty()) {
            s.store.execute(statement);
        }
        if (rebind) {
            s.store.unbind();
            s.store.bind(s.path);
        }
        Recordset rs = s.store.query(QStringLiteral(
            "SELECT MIN(Mag) AS a, MAX(Mag) AS b, MIN(JD) AS c, MAX(JD) AS d, COUNT(*) AS n "
            "FROM Obs"));
        const std::optional<ObsStore::Extremes> e = s.store.extremes();
        QCOMPARE(e.has_value(), rs.integer("n") > 0);
        if (!e)
            return;
        QCOMPARE(e->minMag, rs.single("a"));
        QCOMPARE(e->maxMag, rs.single("b"));
        QCOMPARE(e->minJD, rs.number("c"));
        QCOMPARE(e->maxJD, rs.number("d"));
        QCOMPARE(e->count, std::int64_t(rs.integer("n")));
    }

    void refusedInsert_data() {
        QTest::addColumn<int>("refusedId");
        QTest::addColumn<bool>("cursorOpen"); // a result set open during the batch
        QTest::addRow("early in a large batch") << 5000 << false;
        QTest::addRow("among the last rows, written at the commit") << 11999 << false;
        QTest::addRow("result set open: rows written on the caller's thread") << 5000 << true;
    }

    // Guards rows that never reached the table but live on in memory: an INSERT
    // the table refuses mid-batch is reported, and the plot columns, the range
    // and the next IDs then hold what the table holds, no more.
    void refusedInsert() {
        QFETCH(int, refusedId);
        QFETCH(bool, cursorOpen);
        Store s;
        s.store.execute(QStringLiteral("CREATE TRIGGER Refuse BEFORE INSERT ON Obs WHEN NEW.ID = "
                                       "%1 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                            .arg(refusedId));
        std::optional<Recordset> open;
        if (cursorOpen)
            open.emplace(s.store.query(QStringLiteral("SELECT COUNT(*) AS n FROM Obs")));
        QString error;
        s.store.beginAppend();
        for (int i = 0; i < 12000 && error.isEmpty(); ++i)
            error = failure([&] {
                s.store.append(obs(QString::number(2450000 + i), QString::number(8 + i % 50 * 0.1),
                                   i % 3 == 0 ? QStringLiteral("<") : QString()));
            });
        if (error.isEmpty())
            error = failure([&] { s.store.commitAppend(); });
        s.store.commitAppend();
        QCOMPARE(error, QStringLiteral("3000 refused"));
        open.reset();

        const std::int64_t rows = s.store.count();
        QVERIFY2(rows < refusedId, qPrintable(QString::number(rows)));
        Recordset max = s.store.query(
            QStringLiteral("SELECT MAX(ID) AS m, MIN(Mag) AS a, MAX(JD) AS d FROM Obs WHERE 1"));
        QCOMPARE(std::int64_t(max.integer("m")), rows);
        Recordset plotted =
            s.store.query(QStringLiteral("SELECT COUNT(*) AS n FROM Obs WHERE Faint <> '<'"));
        QCOMPARE(std::int64_t(s.store.plotColumns().jd.size()), std::int64_t(plotted.integer("n")));
        const std::optional<ObsStore::Extremes> e = s.store.extremes();
        QVERIFY(e.has_value());
        QCOMPARE(e->count, rows);
        QCOMPARE(e->maxJD, max.number("d"));
        QCOMPARE(e->minMag, max.single("a"));
        // The batch goes on where the table stopped.
        s.store.execute(QStringLiteral("DROP TRIGGER Refuse"));
        s.load({obs("2460000", "9")});
        Recordset last = s.store.query(QStringLiteral("SELECT MAX(ID) AS m FROM Obs"));
        QCOMPARE(std::int64_t(last.integer("m")), rows + 1);
    }

    void outsideStatementsChecked_data() {
        QTest::addColumn<bool>("inBatch");
        QTest::addRow("between loads") << false;
        QTest::addRow("during an append batch") << true;
    }

    // Guards the table's checks for statements from outside: the store's own
    // statements run without them, and that must not leak into execute().
    void outsideStatementsChecked() {
        QFETCH(bool, inBatch);
        Store s;
        s.load(kTable);
        if (inBatch)
            s.store.beginAppend();
        const QString error = failure(
            [&] { s.store.execute(QStringLiteral("UPDATE Obs SET Mag = 'bright' WHERE ID = 1")); });
        QVERIFY2(error.contains(QStringLiteral("CHECK constraint failed")), qPrintable(error));
        s.store.beginAppend(); // goes on with the batch when one is open
        s.store.append(obs("2460000", "8.5"));
        s.store.commitAppend();
        Recordset rs = s.store.query(QStringLiteral("SELECT COUNT(*) AS n FROM Obs WHERE Mag + 0 "
                                                    "<> Mag OR JD + 0 <> JD"));
        QCOMPARE(rs.integer("n"), 0);
        QCOMPARE(s.store.count(), qint64(kTable.size() + 1));
    }

    void textFieldsKept_data() {
        QTest::addColumn<bool>("cursorOpen"); // rows written on the caller's thread
        QTest::addRow("writer thread") << false;
        QTest::addRow("result set open") << true;
    }

    // Guards every text field of every row across a large batch whose rows fill
    // different sets of fields: each block of rows fills its own mix (more mixes
    // than the store keeps statements for), within a block only some rows do,
    // and a field's text goes back to empty and to text again.
    void textFieldsKept() {
        QFETCH(bool, cursorOpen);
        using Field = QString ObsRecord::*;
        const std::array<std::pair<const char*, Field>, 8> fields{{
            {"Star", &ObsRecord::Star},
            {"Uncertain", &ObsRecord::Uncertain},
            {"Band", &ObsRecord::Band},
            {"Comp1", &ObsRecord::Comp1},
            {"Comments", &ObsRecord::Comments},
            {"CMag", &ObsRecord::CMag},
            {"Credit", &ObsRecord::Credit},
            {"Edited", &ObsRecord::Edited},
        }};
        const auto text = [&](int row, std::size_t f) {
            const int block = row / 1500;
            const bool filled = (block >> f) & 1 && row % int(f + 2) == 0;
            return filled ? QStringLiteral("%1-%2").arg(fields[f].first).arg(row % 5) : QString();
        };
        constexpr int kRows = 40 * 1500 + 17;
        Store s;
        std::optional<Recordset> open;
        if (cursorOpen)
            open.emplace(s.store.query(QStringLiteral("SELECT COUNT(*) AS n FROM Obs")));
        s.store.beginAppend();
        for (int row = 0; row < kRows; ++row) {
            ObsRecord r = obs(QString::number(2450000 + row), QStringLiteral("9.5"));
            for (std::size_t f = 0; f < fields.size(); ++f)
                r.*fields[f].second = text(row, f);
            s.store.append(r);
        }
        s.store.commitAppend();
        open.reset();

        int row = 0;
        for (Recordset rs = s.store.query(QStringLiteral("SELECT * FROM Obs ORDER BY ID"));
             !rs.eof(); rs.moveNext(), ++row) {
            for (std::size_t f = 0; f < fields.size(); ++f) {
                const QString stored = rs.text(QString::fromLatin1(fields[f].first));
                if (stored != text(row, f))
                    QFAIL(qPrintable(
                        QStringLiteral("row %1, %2: '%3'").arg(row).arg(fields[f].first, stored)));
            }
            if (rs.text(QStringLiteral("Init")) != QString())
                QFAIL("a field never given text holds some");
        }
        QCOMPARE(row, kRows);
    }

    void unusableFile_data() {
        QTest::addColumn<QByteArray>("content"); // bytes written, or SQL making a database
        QTest::addColumn<QString>("reason");

        QTest::addRow("missing file") << QByteArray() << QStringLiteral("Could not find file");
        QTest::addRow("garbage bytes")
            << QByteArray("\x13\x7f garbage, no SQLite header").repeated(200)
            << QStringLiteral("file is not a database");
        QTest::addRow("database without Obs")
            << QByteArray("CREATE TABLE Other (ID INTEGER PRIMARY KEY)")
            << QStringLiteral("no table Obs");
    }

    // Guards a wrong or damaged store file being taken as an empty store, or failing
    // with a message that does not say which file and why.
    void unusableFile() {
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
    }

    // Guards a store made from a template whose text fields have no default of
    // '': the fields a load leaves empty must still hold '', not NULL, or the
    // queries comparing them (FAINT <> '<') lose those rows.
    void fieldsWithoutDefault() {
        QTemporaryDir dir;
        QString schema;
        {
            Store templ;
            schema = templ.column(
                QStringLiteral("SELECT sql FROM sqlite_schema WHERE name = 'Obs'"), "sql")[0];
        }
        QVERIFY(schema.contains(QStringLiteral("NOT NULL DEFAULT ''")));
        schema.replace(QStringLiteral(" NOT NULL DEFAULT ''"), QString());
        const QString path = dir.filePath(QStringLiteral("Varilume.mdb"));
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, schema.toUtf8().constData(), nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);

        ObsStore store;
        store.bind(path);
        store.beginAppend();
        for (int i = 0; i < 5000; ++i)
            store.append(obs(QString::number(2450000 + i), QStringLiteral("9.5"),
                             i < 10 ? QStringLiteral("<") : QString()));
        store.commitAppend();
        Recordset nulls = store.query(QStringLiteral(
            "SELECT COUNT(*) AS n FROM Obs WHERE Star IS NULL OR Faint IS NULL OR Comments IS "
            "NULL OR Edited IS NULL"));
        QCOMPARE(nulls.integer("n"), 0);
        Recordset shown =
            store.query(QStringLiteral("SELECT COUNT(*) AS n FROM Obs WHERE FAINT <> '<'"));
        QCOMPARE(shown.integer("n"), 4990);
    }

    // Guards the clear and shutdown path: unbind() keeps an open batch's rows, closes a
    // result set still held, and frees the file to be deleted and replaced by a fresh copy.
    void unbindReleasesFile() {
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
        QVERIFY(QFile::copy(s.state.templatePath(), s.path)); // the template copy is writable
        s.store.bind(s.path);
        QCOMPARE(s.store.count(), qint64(0));
        QVERIFY(s.store.plotColumns().jd.empty());
    }

    // Guards the store kept in memory: the template's table, the same conversion
    // and queries, nothing written to disk, and empty again after a rebind.
    void inMemory() {
        QTemporaryDir cwd;
        const QString before = QDir::currentPath();
        QDir::setCurrent(cwd.path());
        ObsStore store;
        store.bind(QStringLiteral(":memory:"));
        store.beginAppend();
        for (const ObsRecord& r : kTable)
            store.append(r);
        store.commitAppend();
        QCOMPARE(store.count(), qint64(kTable.size()));
        QCOMPARE(store.plotColumns().jd.size(), std::size_t(kTable.size() - 1));
        ObsStore other; // each store in memory is its own
        other.bind(ObsStore::InMemory);
        QCOMPARE(other.count(), qint64(0));
        Recordset rs = store.query(QStringLiteral("SELECT StDev(Mag) AS s FROM Obs"));
        QVERIFY(!rs.isNull(QStringLiteral("s")));
        store.unbind();
        store.bind(QStringLiteral(":memory:"));
        QCOMPARE(store.count(), qint64(0));
        QCOMPARE(QDir(cwd.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
        QDir::setCurrent(before);
    }
};

QTEST_GUILESS_MAIN(TestObsStore)
#include "tst_obsstore.moc"
