// The two-column importer: line normalisation, the records it stores, the
// progress display and the messages of a failed load.
#include "import/TwoColumnImport.h"
#include "support/FakeViews.h"
#include "support/TestContext.h"

#include <QTest>

using namespace varilume;
using varilume::test::RecordingBusyView;
using varilume::test::storedRows;
using varilume::test::TestContext;

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(VARILUME_TEST_DATA "/import/data/") + name;
}

// A loaded star, its store and the fakes around the importer.
struct Fixture : TestContext {
    RecordingBusyView busy;

    explicit Fixture(const QString& starName = QStringLiteral("SS Cyg")) {
        folder.state.StarName = starName;
        folder.state.ColorVIS = 65280;
    }
    ImportResult load(const QString& path) { return ImportTwoColumnFile(ctx, busy, path); }

    // "JD|Mag|Faint|Uncertain" per stored row, in load order.
    QStringList rows() {
        return storedRows(folder.store, {QStringLiteral("JD"), QStringLiteral("Mag"),
                                         QStringLiteral("Faint"), QStringLiteral("Uncertain")});
    }
};

} // namespace

class TestTwoColumn : public QObject {
    Q_OBJECT

private slots:
    // Guards the splitting rules: separators, "<", the third value, blank lines.
    void storesOneRecordPerLine_data();
    void storesOneRecordPerLine();
    // Guards the fields every record takes besides the values of its line.
    void recordsCarryStarAndVisualColour();
    // Guards the progress caption and maximum, and their hiding afterwards.
    void showsLoadingCaptionAndProgress();
    // Guards the failing lines: the load stops with the "Check source file" box.
    void badLinesFailTheLoad_data();
    void badLinesFailTheLoad();
    // Guards the missing file: exclamation box, and the load is not marked failed.
    void missingFileIsReported();
    // Guards the empty file: nothing stored, no message (extremes report it later).
    void emptyFileLoadsNothing();
    // Guards the star name taken from the file name.
    void starNameFromPath_data();
    void starNameFromPath();
};

void TestTwoColumn::storesOneRecordPerLine_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("comma and fainter-than")
        << "twocol_commas.txt" << 2 << QStringList{"2451234.5678|12.3|<|", "2451235.5|11.9||"};
    QTest::addRow("tabs, third value is the uncertainty")
        << "twocol_tabs.txt" << 2 << QStringList{"2451234.5|12.3||0.15", "2451235.5|12.4||0.2"};
    QTest::addRow("blanks in any number")
        << "twocol_blanks.txt" << 3
        << QStringList{"2451000.1|11.5||", "2451001.2|11.6||", "2451002.3|11.7||"};
    QTest::addRow("four values give no uncertainty")
        << "twocol_four_values.txt" << 2 << QStringList{"2451000|11||", "2451001|11.1||0.3"};
    QTest::addRow("blank and trailing blank lines skipped")
        << "twocol_blank_lines.txt" << 5 << QStringList{"2451000.5|10.5||", "2451001.5|10.6||"};
    QTest::addRow("fainter-than marks only its own line, wherever the \"<\" stands")
        << "twocol_faint.txt" << 4
        << QStringList{"2451000.5|10.5||", "2451001.5|10.6|<|", "2451002.5|10.8|<|",
                       "2451003.5|10.9|<|"};
    QTest::addRow("carriage returns alone end lines")
        << "twocol_cr_only.txt" << 3
        << QStringList{"2451000.5|10.5||", "2451001.5|10.6||", "2451002.5|10.7||"};
}

void TestTwoColumn::storesOneRecordPerLine() {
    QFETCH(QString, file);
    QFETCH(int, lineCount);
    QFETCH(QStringList, expected);

    Fixture f;
    const ImportResult r = f.load(fixture(file));

    QVERIFY2(r.ok(), qPrintable(r.text));
    QCOMPARE(r.text, QString());
    QCOMPARE(r.records, expected.size());
    QCOMPARE(f.folder.state.NumRecords, lineCount);
    QCOMPARE(f.folder.state.LoadOK, true);
    QCOMPARE(f.rows(), expected);
    QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
}

void TestTwoColumn::recordsCarryStarAndVisualColour() {
    Fixture f(QStringLiteral("RR Lyr"));
    f.folder.state.ColorVIS = 12345;
    QVERIFY(f.load(fixture(QStringLiteral("twocol_tabs.txt"))).ok());

    Recordset rs = f.folder.store.query(QStringLiteral("SELECT * FROM Obs ORDER BY ID ;"));
    int seen = 0;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext(), ++seen) {
        QCOMPARE(rs.text(QStringLiteral("Star")), QStringLiteral("RR Lyr"));
        QCOMPARE(rs.integer(QStringLiteral("PunktFarb")), 12345);
        for (const char* field :
             {"HQUncertain", "Band", "Init", "ComCod", "Comp1", "Comp2", "Charts", "Comments",
              "XForm", "AirMass", "Valid", "CMag", "KMag", "HQJD", "Marked", "Edited"}) {
            QCOMPARE(rs.text(QString::fromLatin1(field)), QString());
        }
    }
    QCOMPARE(seen, 2);
}

void TestTwoColumn::showsLoadingCaptionAndProgress() {
    Fixture f;
    QVERIFY(f.load(fixture(QStringLiteral("twocol_blank_lines.txt"))).ok());

    QCOMPARE(f.busy.captions, QStringList{QStringLiteral("Loading 5 Records.")});
    QCOMPARE(f.busy.maxima, QList<int>{15});
    QCOMPARE(f.busy.captionShown, false);
    QCOMPARE(f.busy.progressShown, false);
}

void TestTwoColumn::badLinesFailTheLoad_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("description"); // empty: whatever the store says

    QTest::addRow("header line") << "twocol_header.txt" << QString();
    QTest::addRow("one value") << "twocol_one_value.txt"
                               << "Subscript out of range";
    QTest::addRow("not a number") << "twocol_not_number.txt" << QString();
}

void TestTwoColumn::badLinesFailTheLoad() {
    QFETCH(QString, file);
    QFETCH(QString, description);

    Fixture f;
    const ImportResult r = f.load(fixture(file));

    const QString prefix = QStringLiteral("Error in loading database. Check source file.\r\n");
    QCOMPARE(r.status, ImportResult::Status::BadValue);
    QVERIFY2(r.text.startsWith(prefix), qPrintable(r.text));
    QVERIFY2(r.text.size() > prefix.size(), "the error description is missing");
    if (!description.isEmpty())
        QCOMPARE(r.text, prefix + description);
    QCOMPARE(r.title, QStringLiteral("Error"));
    QCOMPARE(r.icon, Icon::Critical);
    QCOMPARE(f.folder.state.LoadOK, false);
    QCOMPARE(f.busy.captionShown, false);
    // The importer leaves the message box to its caller.
    QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
}

void TestTwoColumn::missingFileIsReported() {
    Fixture f;
    const QString path = f.folder.path(QStringLiteral("absent.txt"));
    const ImportResult r = f.load(path);

    QCOMPARE(r.status, ImportResult::Status::FileError);
    QCOMPARE(r.text, QStringLiteral("File ") + path + QStringLiteral(" not found."));
    QCOMPARE(r.title, QStringLiteral("File Error"));
    QCOMPARE(r.icon, Icon::Exclamation);
    QCOMPARE(f.folder.state.LoadOK, true);
    QCOMPARE(f.folder.store.count(), 0);
}

void TestTwoColumn::emptyFileLoadsNothing() {
    Fixture f;
    const ImportResult r = f.load(fixture(QStringLiteral("twocol_empty.txt")));

    QCOMPARE(r.status, ImportResult::Status::Loaded);
    QCOMPARE(r.text, QString());
    QCOMPARE(r.records, 0);
    QCOMPARE(f.folder.state.NumRecords, 0);
    QCOMPARE(f.folder.state.LoadOK, true);
    QCOMPARE(f.folder.store.count(), 0);
}

void TestTwoColumn::starNameFromPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");

    QTest::addRow("cut before the first dot") << "/data/stars/SS Cyg.data.txt"
                                              << "SS Cyg";
    QTest::addRow("dots in folders ignored") << "/data/v1.2/R CrB.txt"
                                             << "R CrB";
    QTest::addRow("no dot: whole name") << "/data/chi cyg"
                                        << "chi cyg";
    QTest::addRow("no folder") << "T UMa.txt"
                               << "T UMa";
}

void TestTwoColumn::starNameFromPath() {
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(StarNameFromPath(path), name);
}

QTEST_GUILESS_MAIN(TestTwoColumn)
#include "tst_twocolumn.moc"
