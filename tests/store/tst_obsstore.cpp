// The working store: the query texts the program runs, conversion on append,
// the StDev aggregate, the in-memory plot columns and the phases they write back.
#include "format/NumberFormat.h"
#include "store/ObsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

using namespace varilume;

namespace {

struct Obs {
    QString jd;
    QString mag;
    QString faint;
    std::int32_t color = 65280;
};

// An observation with its phase; NaN leaves Phas null.
struct PhasedObs {
    Obs obs;
    float phase = std::numeric_limits<float>::quiet_NaN();
};

} // namespace

Q_DECLARE_METATYPE(Obs)
Q_DECLARE_METATYPE(PhasedObs)

namespace {

ObsRecord record(const Obs& o) {
    ObsRecord r;
    r.Star = QStringLiteral("RR LYR");
    r.JD = o.jd;
    r.Mag = o.mag;
    r.Faint = o.faint;
    r.PunktFarb = o.color;
    return r;
}

// A bound copy of the template in a folder of its own.
struct Store {
    QTemporaryDir dir;
    QString path;
    ObsStore store;

    Store() : path(dir.filePath(QStringLiteral("Varilume.mdb"))) {
        QFile::copy(QStringLiteral(VARILUME_TEMPLATE), path);
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        store.bind(path);
    }

    void load(const QList<Obs>& rows) {
        store.beginAppend();
        for (const Obs& o : rows)
            store.append(record(o));
        store.commitAppend();
    }

    QStringList column(const QString& sql, const QString& field) {
        QStringList out;
        Recordset rs = store.query(sql);
        for (; !rs.eof(); rs.moveNext())
            out << rs.text(field);
        return out;
    }
};

// Rows chosen around the window 2450000.5 .. 2450010 of the plot query.
const QList<Obs> kTable{
    {QStringLiteral("2450005"), QStringLiteral("10.2"), QString()},
    {QStringLiteral("2450000.5"), QStringLiteral("9.8"), QString()},        // lower bound
    {QStringLiteral("2450010"), QStringLiteral("11.5"), QString()},         // upper bound
    {QStringLiteral("2450000.4"), QStringLiteral("9.1"), QString()},        // just below
    {QStringLiteral("2450003"), QStringLiteral("12"), QStringLiteral("<")}, // fainter-than
    {QStringLiteral("2450010.1"), QStringLiteral("10.7"), QString()},       // just above
};

QString rowText(double jd, float mag, std::int32_t color) {
    return QStringLiteral("%1 %2 %3")
        .arg(QString::number(jd, 'g', 17), QString::number(mag, 'g', 9), QString::number(color));
}

} // namespace

class TestObsStore : public QObject {
    Q_OBJECT

private slots:
    void queryTexts_data();
    void queryTexts();
    void fieldNamesIgnoreCase_data();
    void fieldNamesIgnoreCase();
    void unknownFieldName();
    void conversionOnAppend_data();
    void conversionOnAppend();
    void textRefusedInNumberColumns_data();
    void textRefusedInNumberColumns();
    void readBackForms_data();
    void readBackForms();
    void nullNumber();
    void emptyResult_data();
    void emptyResult();
    void firstAndLast();
    void stDev_data();
    void stDev();
    void idsFollowInsertionOrder();
    void manyRowsRoundTrip();
    void rowsVisibleInOpenBatch();
    void phasesReachQueries_data();
    void phasesReachQueries();
    void plotColumnsMatchPlotQuery_data();
    void plotColumnsMatchPlotQuery();
    void executeKeepsPlotColumnsTrue();
    void extremes();
    void extremesOfEmptyTable();
    void invalidSql_data();
    void invalidSql();
    void queryRefusesChanges();
};

// Guards ordering, the inclusive BETWEEN, the exact "<" filter, COUNT and ID order
// for the query texts exactly as the program writes them.
void TestObsStore::queryTexts_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("ascending Mag, fainter-than included")
        << QStringLiteral("Select * From Obs Order by Mag; ") << QStringLiteral("Mag")
        << QStringList{"9.1", "9.8", "10.2", "10.7", "11.5", "12"};
    QTest::addRow("ascending JD") << QStringLiteral("Select * From Obs Order by JD; ")
                                  << QStringLiteral("JD")
                                  << QStringList{"2450000.4", "2450000.5", "2450003",
                                                 "2450005",   "2450010",   "2450010.1"};
    QTest::addRow("ID order is insertion order")
        << QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; ") << QStringLiteral("JD")
        << QStringList{"2450005", "2450000.5", "2450010", "2450000.4", "2450003", "2450010.1"};
    QTest::addRow("IDs count from one")
        << QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; ") << QStringLiteral("ID")
        << QStringList{"1", "2", "3", "4", "5", "6"};
    QTest::addRow("window inclusive, fainter-than left out, empty Faint kept")
        << QStringLiteral("SELECT * FROM Obs WHERE JD BETWEEN 2450000.5 AND 2450010 AND FAINT <> "
                          "'<' ORDER BY JD; ")
        << QStringLiteral("JD") << QStringList{"2450000.5", "2450005", "2450010"};
    QTest::addRow("count") << QStringLiteral("SELECT COUNT(*) AS MyCount FROM Obs ;")
                           << QStringLiteral("MyCount") << QStringList{"6"};
    QTest::addRow("Faint read back")
        << QStringLiteral("Select * From Obs Order by JD; ") << QStringLiteral("Faint")
        << QStringList{"", "", "<", "", "", ""};
}

void TestObsStore::queryTexts() {
    QFETCH(QString, sql);
    QFETCH(QString, field);
    QFETCH(QStringList, expected);
    Store s;
    s.load(kTable);
    QCOMPARE(s.column(sql, field), expected);
}

// Guards field lookup by exact spelling only: the program writes MyCount, mycount, PHAS.
void TestObsStore::fieldNamesIgnoreCase_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    QTest::addRow("JD lower case") << QStringLiteral("jd") << QStringLiteral("2450005");
    QTest::addRow("Mag upper case") << QStringLiteral("MAG") << QStringLiteral("10.2");
    QTest::addRow("PunktFarb lower case") << QStringLiteral("punktfarb") << QStringLiteral("65280");
    QTest::addRow("Star mixed case") << QStringLiteral("sTaR") << QStringLiteral("RR LYR");
    QTest::addRow("ID lower case") << QStringLiteral("id") << QStringLiteral("1");
}

void TestObsStore::fieldNamesIgnoreCase() {
    QFETCH(QString, field);
    QFETCH(QString, expected);
    Store s;
    s.load(kTable);
    Recordset rs = s.store.query(QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; "));
    QCOMPARE(rs.text(field), expected);
    // The same name asked again (now from the lookup cache) still finds the field.
    QCOMPARE(rs.text(field), expected);
    QCOMPARE(rs.isNull(field), false);
}

// Guards a misspelt field silently reading another column.
void TestObsStore::unknownFieldName() {
    Store s;
    s.load(kTable);
    Recordset rs = s.store.query(QStringLiteral("SELECT COUNT(*) AS MyCount FROM Obs ;"));
    try {
        rs.integer(QStringLiteral("Count"));
        QFAIL("an unknown field was read");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), StoreError::Engine);
        QVERIFY2(e.description().contains(QStringLiteral("Count")), qPrintable(e.description()));
    }
}

// Guards the conversion of JD and Mag text on assignment: numbers stored as
// numbers (Mag as a single), anything else refused with 3421 and never stored.
void TestObsStore::conversionOnAppend_data() {
    QTest::addColumn<QString>("jd");
    QTest::addColumn<QString>("mag");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<double>("storedJD");
    QTest::addColumn<float>("storedMag");

    QTest::addRow("plain numbers")
        << QStringLiteral("2450000.5") << QStringLiteral("9.1") << true << 2450000.5 << 9.1f;
    QTest::addRow("blanks around")
        << QStringLiteral(" 2450001 ") << QStringLiteral(" 10.25 ") << true << 2450001.0 << 10.25f;
    QTest::addRow("Mag rounded to a single")
        << QStringLiteral("2450002") << QStringLiteral("12.3456789") << true << 2450002.0
        << 12.3456789f;
    QTest::addRow("exponent and sign")
        << QStringLiteral("2.4500035E6") << QStringLiteral("-1.5e0") << true << 2450003.5 << -1.5f;
    QTest::addRow("Mag not a number")
        << QStringLiteral("2450000") << QStringLiteral("abc") << false << 0.0 << 0.0f;
    QTest::addRow("JD not a number")
        << QStringLiteral("abc") << QStringLiteral("9") << false << 0.0 << 0.0f;
    QTest::addRow("Mag empty") << QStringLiteral("2450000") << QStringLiteral("") << false << 0.0
                               << 0.0f;
    QTest::addRow("JD empty") << QStringLiteral("") << QStringLiteral("9") << false << 0.0 << 0.0f;
    QTest::addRow("Mag with trailing text")
        << QStringLiteral("2450000") << QStringLiteral("9.5x") << false << 0.0 << 0.0f;
    QTest::addRow("Mag beyond a single")
        << QStringLiteral("2450000") << QStringLiteral("1e39") << false << 0.0 << 0.0f;
}

void TestObsStore::conversionOnAppend() {
    QFETCH(QString, jd);
    QFETCH(QString, mag);
    QFETCH(bool, converts);
    QFETCH(double, storedJD);
    QFETCH(float, storedMag);

    Store s;
    s.store.beginAppend();
    s.store.append(record({QStringLiteral("2449999"), QStringLiteral("8"), QString()}));
    try {
        s.store.append(record({jd, mag, QString()}));
        QVERIFY2(converts, "a text that is no number was accepted");
    } catch (const StoreError& e) {
        QVERIFY2(!converts, qPrintable(e.description()));
        QCOMPARE(e.code(), StoreError::ConversionError);
        QCOMPARE(e.description(), QStringLiteral("Data type conversion error."));
    }
    // The row before the failure stays in the batch.
    s.store.commitAppend();
    QCOMPARE(s.store.count(), qint64(converts ? 2 : 1));

    Recordset rs = s.store.query(QStringLiteral(
        "SELECT COUNT(*) AS MyCount FROM Obs WHERE typeof(JD) <> 'real' OR typeof(Mag) <> 'real'"));
    QCOMPARE(rs.integer(QStringLiteral("MyCount")), 0);
    if (converts) {
        Recordset last = s.store.query(QStringLiteral("SELECT * FROM Obs WHERE ID = 2"));
        QCOMPARE(last.number(QStringLiteral("JD")), storedJD);
        // The single's own value, not the decimal text's.
        QCOMPARE(last.number(QStringLiteral("Mag")), double(storedMag));
        QCOMPARE(last.single(QStringLiteral("Mag")), storedMag);
    }
}

// Guards the number columns against text from statements other than append().
void TestObsStore::textRefusedInNumberColumns_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("duringBatch");
    QTest::addRow("Mag set to text") << QStringLiteral("UPDATE Obs SET Mag = 'abc'") << false;
    QTest::addRow("JD set to empty text") << QStringLiteral("UPDATE Obs SET JD = ''") << false;
    QTest::addRow("Phas set to text") << QStringLiteral("UPDATE Obs SET Phas = 'x'") << false;
    QTest::addRow("row inserted with text JD")
        << QStringLiteral("INSERT INTO Obs (JD, Mag) VALUES ('abc', 1)") << false;
    QTest::addRow("Mag set to text during an append batch")
        << QStringLiteral("UPDATE Obs SET Mag = 'abc'") << true;
}

void TestObsStore::textRefusedInNumberColumns() {
    QFETCH(QString, sql);
    QFETCH(bool, duringBatch);
    Store s;
    s.load(kTable);
    if (duringBatch) {
        s.store.beginAppend();
        s.store.append(record({QStringLiteral("2450030"), QStringLiteral("9"), QString()}));
    }
    QVERIFY_THROWS_EXCEPTION(StoreError, s.store.execute(sql));
    if (duringBatch) {
        // The batch goes on after the refused statement.
        s.store.append(record({QStringLiteral("2450031"), QStringLiteral("9"), QString()}));
        s.store.commitAppend();
        QCOMPARE(s.store.count(), qint64(kTable.size() + 2));
    }
    Recordset rs = s.store.query(
        QStringLiteral("SELECT COUNT(*) AS MyCount FROM Obs WHERE typeof(JD) = 'text' OR "
                       "typeof(Mag) = 'text' OR typeof(Phas) = 'text'"));
    QCOMPARE(rs.integer(QStringLiteral("MyCount")), 0);
}

// Guards the read forms: Mag and Phas as singles, JD as a double, in text and number.
void TestObsStore::readBackForms_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");

    QTest::addRow("Mag as a single")
        << QStringLiteral("Mag") << QStringLiteral("9.1") << double(9.1f);
    QTest::addRow("Phas as a single")
        << QStringLiteral("Phas") << QStringLiteral("0.1") << double(0.1f);
    QTest::addRow("JD as a double")
        << QStringLiteral("JD") << QStringLiteral("2450000.1234") << 2450000.1234;
    QTest::addRow("PunktFarb as a whole number")
        << QStringLiteral("PunktFarb") << QStringLiteral("16744448") << 16744448.0;
}

void TestObsStore::readBackForms() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(double, number);
    Store s;
    s.load({{QStringLiteral("2450000.1234"), QStringLiteral("9.1"), QString(), 16744448}});
    s.store.setPhase(0, 0.1f);
    Recordset rs = s.store.query(QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; "));
    QCOMPARE(rs.text(field), text);
    QCOMPARE(rs.number(field), number);
    QCOMPARE(rs.single(field), float(number));
}

// Guards a null Phas being read as a phase of 0.
void TestObsStore::nullNumber() {
    Store s;
    s.load(kTable);
    Recordset rs = s.store.query(QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; "));
    QVERIFY(rs.isNull(QStringLiteral("Phas")));
    QCOMPARE(rs.text(QStringLiteral("Phas")), QString());
    try {
        rs.single(QStringLiteral("Phas"));
        QFAIL("a null field was read as a number");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), StoreError::InvalidUseOfNull);
    }
}

// Guards error 3021, by which the program tells an empty table or window.
void TestObsStore::emptyResult_data() {
    QTest::addColumn<QList<Obs>>("rows");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("last");

    const QString byMag = QStringLiteral("Select * From Obs Order by Mag; ");
    const QString window = QStringLiteral(
        "SELECT * FROM Obs WHERE JD BETWEEN 2450000.5 AND 2450010 AND FAINT <> '<' ORDER BY JD; ");
    const QList<Obs> onlyFaint{
        {QStringLiteral("2450003"), QStringLiteral("12"), QStringLiteral("<")}};
    QTest::addRow("moveFirst on an empty table") << QList<Obs>() << byMag << false;
    QTest::addRow("moveLast on an empty table") << QList<Obs>() << byMag << true;
    QTest::addRow("moveFirst on a window of fainter-than rows") << onlyFaint << window << false;
    QTest::addRow("moveLast on a window of fainter-than rows") << onlyFaint << window << true;
}

void TestObsStore::emptyResult() {
    QFETCH(QList<Obs>, rows);
    QFETCH(QString, sql);
    QFETCH(bool, last);
    Store s;
    s.load(rows);
    Recordset rs = s.store.query(sql);
    QVERIFY(rs.eof());
    try {
        if (last)
            rs.moveLast();
        else
            rs.moveFirst();
        QFAIL("moving on an empty result succeeded");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), StoreError::NoCurrentRecord);
        QCOMPARE(e.description(), QStringLiteral("No current record."));
    }
    try {
        rs.single(QStringLiteral("Mag"));
        QFAIL("a field was read without a current record");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), StoreError::NoCurrentRecord);
    }
}

// Guards moveLast landing short of the end, and moveFirst after it not starting over.
void TestObsStore::firstAndLast() {
    Store s;
    s.load(kTable);
    Recordset rs = s.store.query(QStringLiteral("Select * From Obs Order by Mag; "));
    rs.moveFirst();
    QCOMPARE(rs.single(QStringLiteral("Mag")), 9.1f);
    rs.moveLast();
    QCOMPARE(rs.single(QStringLiteral("Mag")), 12.0f);
    QCOMPARE(rs.text(QStringLiteral("Faint")), QStringLiteral("<"));
    QVERIFY(!rs.eof());
    rs.moveNext();
    QVERIFY(rs.eof());
    rs.moveFirst();
    QCOMPARE(rs.single(QStringLiteral("Mag")), 9.1f);
    rs.moveNext();
    QCOMPARE(rs.single(QStringLiteral("Mag")), 9.8f);
}

// Guards StDev: the sample deviation (n - 1), null below two rows, only the
// rows the query selects, and no loss of digits for values far from zero.
void TestObsStore::stDev_data() {
    QTest::addColumn<QList<PhasedObs>>("rows");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("null");
    QTest::addColumn<double>("expected");

    const QString binQuery =
        QStringLiteral("SELECT StDev(Mag) AS [SD] FROM Obs WHERE Phas BETWEEN -0.5 AND -0.4 AND "
                       "FAINT <> '<' AND Phas <> 0  ; ");
    const QString binQueryNoBlank =
        QStringLiteral("SELECT StDev(Mag) AS [SD] FROM Obs WHERE Phas BETWEEN -0.5 AND -0.4 AND "
                       "FAINT <> '<'AND Phas <> 0  ; ");
    const auto row = [](const char* jd, const char* mag, float phase, const char* faint = "") {
        return PhasedObs{
            {QString::fromLatin1(jd), QString::fromLatin1(mag), QString::fromLatin1(faint)}, phase};
    };
    const QList<PhasedObs> three{row("2450001", "10", -0.45f), row("2450002", "11", -0.5f),
                                 row("2450003", "12", -0.4375f), row("2450004", "20", 0.25f)};

    QTest::addRow("sample deviation of three, bound included") << three << binQuery << false << 1.0;
    QTest::addRow("no blank before AND") << three << binQueryNoBlank << false << 1.0;
    QTest::addRow("one row gives null")
        << QList<PhasedObs>{row("2450001", "10", -0.45f), row("2450002", "11", 0.1f)} << binQuery
        << true << 0.0;
    QTest::addRow("no row gives null")
        << QList<PhasedObs>{row("2450001", "10", 0.3f)} << binQuery << true << 0.0;
    QTest::addRow("fainter-than rows left out")
        << QList<PhasedObs>{row("2450001", "10", -0.45f), row("2450002", "11", -0.45f),
                            row("2450003", "12", -0.45f), row("2450004", "30", -0.45f, "<")}
        << binQuery << false << 1.0;
    QTest::addRow("null phases left out")
        << QList<PhasedObs>{row("2450001", "10", -0.45f), row("2450002", "12", -0.45f),
                            row("2450003", "30", std::numeric_limits<float>::quiet_NaN())}
        << binQuery << false << std::sqrt(2.0);
    QTest::addRow("values far from zero")
        << QList<PhasedObs>{row("2450000.1", "1", 0), row("2450000.2", "1", 0),
                            row("2450000.3", "1", 0)}
        << QStringLiteral("SELECT StDev(JD) AS [SD] FROM Obs") << false << 0.1;
}

void TestObsStore::stDev() {
    QFETCH(QList<PhasedObs>, rows);
    QFETCH(QString, sql);
    QFETCH(bool, null);
    QFETCH(double, expected);

    Store s;
    QList<Obs> plain;
    for (const PhasedObs& r : rows)
        plain << r.obs;
    s.load(plain);
    // Rows are given in ascending JD, so plot row i is the i-th row not marked "<".
    std::size_t plotRow = 0;
    for (const PhasedObs& r : rows) {
        if (r.obs.faint == u"<") {
            s.store.execute(QStringLiteral("UPDATE Obs SET Phas = %1 WHERE JD = %2")
                                .arg(fmt::query(r.phase), r.obs.jd));
            continue;
        }
        s.store.setPhase(plotRow++, r.phase);
    }
    Recordset rs = s.store.query(sql);
    QCOMPARE(rs.isNull(QStringLiteral("SD")), null);
    if (!null) {
        const double sd = rs.number(QStringLiteral("SD"));
        QVERIFY2(std::fabs(sd - expected) < 1e-7, qPrintable(QString::number(sd, 'g', 17)));
    }
}

// Guards IDs restarting or reordering across batches and rebinding.
void TestObsStore::idsFollowInsertionOrder() {
    Store s;
    s.load({{QStringLiteral("2450003"), QStringLiteral("9"), QString()},
            {QStringLiteral("2450001"), QStringLiteral("9"), QString()}});
    s.store.unbind();
    s.store.bind(s.path);
    s.load({{QStringLiteral("2450002"), QStringLiteral("9"), QString()}});
    const QString byId = QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; ");
    QCOMPARE(s.column(byId, QStringLiteral("JD")), (QStringList{"2450003", "2450001", "2450002"}));
    QCOMPARE(s.column(byId, QStringLiteral("ID")), (QStringList{"1", "2", "3"}));
}

// Guards the batched INSERT: every field of every row arrives, also where a
// field repeats or changes between rows and in the last, partly filled batch.
void TestObsStore::manyRowsRoundTrip() {
    Store s;
    const int n = 101;
    const auto make = [](int i) {
        ObsRecord r;
        r.Star = QStringLiteral("R CAR");
        r.JD = QString::number(2450000 + i);
        r.Mag = QString::number(8 + (i % 10) / 4.0);
        r.Faint = i % 9 == 0 ? QStringLiteral("<") : QString();
        r.Uncertain = i % 2 ? QStringLiteral(":") : QString();
        r.Band = i % 3 ? QStringLiteral("Vis.") : QStringLiteral("V");
        r.Init = QStringLiteral("OBS%1").arg(i % 5);
        r.Comments = i % 7 == 0 ? QStringLiteral("Wolken, Dämmerung") : QString();
        r.Comp1 = QString::number(i / 33);
        r.Credit = QStringLiteral("AAVSO");
        r.Edited = i == n - 1 ? QStringLiteral("x") : QString();
        r.PunktFarb = i * 1000;
        return r;
    };
    s.store.beginAppend();
    for (int i = 0; i < n; ++i)
        s.store.append(make(i));
    QCOMPARE(s.store.appendedCount(), qint64(n));
    s.store.commitAppend();

    Recordset rs = s.store.query(QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; "));
    for (int i = 0; i < n; ++i, rs.moveNext()) {
        QVERIFY2(!rs.eof(), qPrintable(QString::number(i)));
        const ObsRecord r = make(i);
        QCOMPARE(rs.integer(QStringLiteral("ID")), i + 1);
        QCOMPARE(rs.text(QStringLiteral("JD")), r.JD);
        QCOMPARE(rs.text(QStringLiteral("Mag")), r.Mag);
        QCOMPARE(rs.text(QStringLiteral("Star")), r.Star);
        QCOMPARE(rs.text(QStringLiteral("Faint")), r.Faint);
        QCOMPARE(rs.text(QStringLiteral("Uncertain")), r.Uncertain);
        QCOMPARE(rs.text(QStringLiteral("Band")), r.Band);
        QCOMPARE(rs.text(QStringLiteral("Init")), r.Init);
        QCOMPARE(rs.text(QStringLiteral("Comments")), r.Comments);
        QCOMPARE(rs.text(QStringLiteral("Comp1")), r.Comp1);
        QCOMPARE(rs.text(QStringLiteral("Comp2")), QString());
        QCOMPARE(rs.text(QStringLiteral("Credit")), r.Credit);
        QCOMPARE(rs.text(QStringLiteral("Edited")), r.Edited);
        QCOMPARE(rs.integer(QStringLiteral("PunktFarb")), r.PunktFarb);
    }
    QVERIFY(rs.eof());
}

// Guards rows of an open batch being invisible to a query run in the middle
// of an import (an event handler may run one while the import yields).
void TestObsStore::rowsVisibleInOpenBatch() {
    Store s;
    s.store.beginAppend();
    for (int i = 0; i < 40; ++i)
        s.store.append(record({QString::number(2450000 + i), QStringLiteral("9"), QString()}));
    QCOMPARE(s.store.count(), qint64(40));
    QCOMPARE(s.column(QStringLiteral("SELECT COUNT(*) AS MyCount FROM Obs ;"),
                      QStringLiteral("MyCount")),
             QStringList{"40"});
    for (int i = 40; i < 45; ++i)
        s.store.append(record({QString::number(2450000 + i), QStringLiteral("9"), QString()}));
    s.store.commitAppend();
    QCOMPARE(s.store.count(), qint64(45));
    QCOMPARE(s.store.plotColumns().jd.size(), std::size_t(45));
}

// Guards the phase export reading stale phases: what setPhase/setPhases left
// must be in Obs.Phas when the export's query runs, NaN as null.
void TestObsStore::phasesReachQueries_data() {
    QTest::addColumn<bool>("block");
    QTest::addRow("one by one") << false;
    QTest::addRow("as a block") << true;
}

void TestObsStore::phasesReachQueries() {
    QFETCH(bool, block);
    Store s;
    s.load({{QStringLiteral("2450004"), QStringLiteral("10"), QString()},
            {QStringLiteral("2450001"), QStringLiteral("11"), QString()},
            {QStringLiteral("2450002"), QStringLiteral("12"), QStringLiteral("<")},
            {QStringLiteral("2450003"), QStringLiteral("13"), QString()},
            {QStringLiteral("2450005"), QStringLiteral("14"), QString()}});
    // Plot rows in JD order: 2450001, 2450003, 2450004, 2450005.
    const std::vector<float> phases{0.3f, -0.25f, std::numeric_limits<float>::quiet_NaN(), 0.125f};
    if (block) {
        s.store.setPhases(0, phases);
    } else {
        for (std::size_t i = 0; i < phases.size(); ++i)
            s.store.setPhase(i, phases[i]);
    }
    const QString exportQuery =
        QStringLiteral(" SELECT * FROM Obs WHERE FAINT <> '<' ORDER BY PHAS; ");
    QCOMPARE(s.column(exportQuery, QStringLiteral("JD")),
             (QStringList{"2450004", "2450003", "2450005", "2450001"}));
    QCOMPARE(s.column(exportQuery, QStringLiteral("Phas")),
             (QStringList{"", "-0.25", "0.125", "0.3"}));

    // A later plot overwrites; the next query sees only the new phase.
    s.store.setPhase(3, -0.5f);
    QCOMPARE(s.column(exportQuery, QStringLiteral("Phas")),
             (QStringList{"", "-0.5", "-0.25", "0.3"}));
    Recordset faint = s.store.query(QStringLiteral("SELECT * FROM Obs WHERE Faint = '<'"));
    QVERIFY(faint.isNull(QStringLiteral("Phas")));
}

// Guards the plot reading other rows than the plot query would: window() over
// plotColumns() must give the rows, order and values of that query, also after
// the columns are loaded again from the file.
void TestObsStore::plotColumnsMatchPlotQuery_data() {
    QTest::addColumn<QList<Obs>>("rows");
    QTest::addColumn<int>("secondBatchFrom");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");

    const auto o = [](const char* jd, const char* mag, std::int32_t color, const char* faint = "") {
        return Obs{QString::fromLatin1(jd), QString::fromLatin1(mag), QString::fromLatin1(faint),
                   color};
    };
    const QList<Obs> ties{o("2450003", "10", 1),      o("2450001", "11", 2),
                          o("2450003", "12", 3),      o("2450002", "13", 4),
                          o("2450003", "14", 5, "<"), o("2450003", "9.5", 6)};
    QTest::addRow("ties in load order, fainter-than left out")
        << ties << int(ties.size()) << 2450000.0 << 2450004.0;
    QTest::addRow("ties across two batches") << ties << 3 << 2450000.0 << 2450004.0;
    QTest::addRow("bounds inclusive") << ties << int(ties.size()) << 2450002.0 << 2450003.0;
    QTest::addRow("window between rows") << ties << int(ties.size()) << 2450001.5 << 2450001.9;
    QTest::addRow("window below every row") << ties << int(ties.size()) << 2449000.0 << 2449001.0;
    QTest::addRow("reversed window") << ties << int(ties.size()) << 2450003.0 << 2450001.0;
    QTest::addRow("only fainter-than rows")
        << QList<Obs>{o("2450001", "10", 1, "<"), o("2450002", "11", 2, "<")} << 2 << 2450000.0
        << 2450004.0;
    QTest::addRow("fractional dates")
        << QList<Obs>{o("2450001.25", "10", 1), o("2450000.125", "11", 2),
                      o("2450001.2500001", "12", 3)}
        << 3 << 2450000.125 << 2450001.25;
}

void TestObsStore::plotColumnsMatchPlotQuery() {
    QFETCH(QList<Obs>, rows);
    QFETCH(int, secondBatchFrom);
    QFETCH(double, from);
    QFETCH(double, to);

    Store s;
    s.load(rows.mid(0, secondBatchFrom));
    s.load(rows.mid(secondBatchFrom));

    QStringList fromQuery;
    Recordset rs =
        s.store.query(QStringLiteral("SELECT * FROM Obs WHERE JD BETWEEN ") + fmt::query(from) +
                      QStringLiteral(" AND ") + fmt::query(to) +
                      QStringLiteral(" AND FAINT <> '<'") + QStringLiteral(" ORDER BY JD; "));
    for (; !rs.eof(); rs.moveNext())
        fromQuery << rowText(rs.number(QStringLiteral("JD")), rs.single(QStringLiteral("Mag")),
                             rs.integer(QStringLiteral("PunktFarb")));

    for (int pass = 0; pass < 2; ++pass) {
        const auto [first, last] = s.store.window(from, to);
        const ObsStore::PlotColumns c = s.store.plotColumns();
        QVERIFY(first <= last);
        QVERIFY(last <= c.jd.size());
        QCOMPARE(c.mag.size(), c.jd.size());
        QCOMPARE(c.color.size(), c.jd.size());
        QStringList fromColumns;
        for (std::size_t i = first; i < last; ++i)
            fromColumns << rowText(c.jd[i], c.mag[i], c.color[i]);
        QCOMPARE(fromColumns, fromQuery);
        // Loaded from the file, the columns must come back the same.
        s.store.unbind();
        s.store.bind(s.path);
    }
}

// Guards the plot columns going stale when a statement changes the table.
void TestObsStore::executeKeepsPlotColumnsTrue() {
    Store s;
    s.load(kTable);
    s.store.execute(QStringLiteral("DELETE FROM Obs WHERE Mag > 10.5"));
    const ObsStore::PlotColumns c = s.store.plotColumns();
    QStringList jd;
    for (double v : c.jd)
        jd << fmt::general(v);
    QCOMPARE(jd, (QStringList{"2450000.4", "2450000.5", "2450005"}));
    // And appending after it continues the IDs.
    s.load({{QStringLiteral("2450020"), QStringLiteral("9"), QString()}});
    QCOMPARE(s.column(QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; "), QStringLiteral("ID")),
             (QStringList{"1", "2", "4", "5"}));
}

// Guards extremes() leaving out fainter-than rows, which the ranges include.
void TestObsStore::extremes() {
    Store s;
    s.load(kTable);
    const auto e = s.store.extremes();
    QVERIFY(e.has_value());
    QCOMPARE(e->minMag, 9.1f);
    QCOMPARE(e->maxMag, 12.0f);
    QCOMPARE(e->minJD, 2450000.4);
    QCOMPARE(e->maxJD, 2450010.1);
    QCOMPARE(e->count, qint64(6));
}

// Guards an empty table giving ranges of zeros instead of "no observations".
void TestObsStore::extremesOfEmptyTable() {
    Store s;
    QVERIFY(!s.store.extremes().has_value());
    QCOMPARE(s.store.count(), qint64(0));
    QVERIFY(s.store.plotColumns().jd.empty());
}

// Guards errors of the engine arriving without SQLite's own explanation.
void TestObsStore::invalidSql_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("viaExecute");
    QTest::addColumn<QString>("message");

    QTest::addRow("syntax error in a query") << QStringLiteral("SELEC * FROM Obs") << false
                                             << QStringLiteral("near \"SELEC\": syntax error");
    QTest::addRow("unknown column in a query")
        << QStringLiteral("SELECT Foo FROM Obs") << false << QStringLiteral("no such column: Foo");
    QTest::addRow("unknown table in a query")
        << QStringLiteral("SELECT * FROM Nope") << false << QStringLiteral("no such table: Nope");
    QTest::addRow("unknown function in a query")
        << QStringLiteral("SELECT StDevX(Mag) AS [SD] FROM Obs") << false
        << QStringLiteral("no such function: StDevX");
    QTest::addRow("syntax error in a statement")
        << QStringLiteral("UPDAT Obs SET Phas = 1") << true << QStringLiteral("syntax error");
    QTest::addRow("unknown column in a statement") << QStringLiteral("UPDATE Obs SET Foo = 1")
                                                   << true << QStringLiteral("no such column: Foo");
}

void TestObsStore::invalidSql() {
    QFETCH(QString, sql);
    QFETCH(bool, viaExecute);
    QFETCH(QString, message);
    Store s;
    s.load(kTable);
    try {
        if (viaExecute)
            s.store.execute(sql);
        else
            s.store.query(sql);
        QFAIL("an invalid text ran");
    } catch (const StoreError& e) {
        QCOMPARE(e.code(), StoreError::Engine);
        QVERIFY2(e.description().contains(message), qPrintable(e.description()));
    }
    QCOMPARE(s.store.count(), qint64(6));
}

// Guards a changing statement run as a query leaving the plot columns stale.
void TestObsStore::queryRefusesChanges() {
    Store s;
    s.load(kTable);
    QVERIFY_THROWS_EXCEPTION(StoreError, s.store.query(QStringLiteral("DELETE FROM Obs")));
    QCOMPARE(s.store.count(), qint64(6));
    QCOMPARE(s.store.plotColumns().jd.size(), std::size_t(5));
}

QTEST_GUILESS_MAIN(TestObsStore)
#include "tst_obsstore.moc"
