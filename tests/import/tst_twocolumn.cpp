// The two-column importer: the records each kind of line gives, and the
// messages of a failed load.
#include "import/TwoColumnImport.h"
#include "support/FakeViews.h"
#include "support/TestContext.h"

#include <QTest>

using namespace varilume;

namespace {

const QString kData = QStringLiteral(VARILUME_TEST_DATA "/import/data/");

const QString kCheck = QStringLiteral("Error in loading database. Check source file.\r\n");
using Status = ImportResult::Status;

/// What loading one fixture must give.
struct Outcome {
    QString file;
    int lines = 0;
    QStringList stored = {}; // JD|Mag|Faint|Uncertain of each stored row
    Status status = Status::Loaded;
    QString text = {}; // of the message box, with its title and icon
    QString title = {};
    Icon icon = Icon::None;
};

} // namespace

Q_DECLARE_METATYPE(Outcome)

class TestTwoColumn : public QObject {
    Q_OBJECT

private slots:
    void loads_data();
    void loads();
    void starNameFromPath_data();
    void starNameFromPath();
};

// Guards the splitting rules, each record's star and visual colour, and the failures' messages.
void TestTwoColumn::loads_data() {
    QTest::addColumn<Outcome>("expected");

    QTest::addRow("comma and fainter-than")
        << Outcome("twocol_commas.txt", 2, {"2451234.5678|12.3|<|", "2451235.5|11.9||"});
    QTest::addRow("tabs, third value is the uncertainty")
        << Outcome("twocol_tabs.txt", 2, {"2451234.5|12.3||0.15", "2451235.5|12.4||0.2"});
    QTest::addRow("blanks in any number") << Outcome(
        "twocol_blanks.txt", 3, {"2451000.1|11.5||", "2451001.2|11.6||", "2451002.3|11.7||"});
    QTest::addRow("four values give no uncertainty")
        << Outcome("twocol_four_values.txt", 2, {"2451000|11||", "2451001|11.1||0.3"});
    QTest::addRow("blank and trailing blank lines skipped")
        << Outcome("twocol_blank_lines.txt", 5, {"2451000.5|10.5||", "2451001.5|10.6||"});
    QTest::addRow("empty file") << Outcome("twocol_empty.txt");
    QTest::addRow("header line") << Outcome("twocol_header.txt", 2, {}, Status::BadValue,
                                            kCheck + "Line 1: the JD \"JD\" is not a number.",
                                            "Error", Icon::Critical);
    QTest::addRow("one value") << Outcome(
        "twocol_one_value.txt", 3, {"2451000.5|10.5||"}, Status::BadValue,
        kCheck + "Subscript out of range\r\nLine 2: 2451001.5", "Error", Icon::Critical);
    QTest::addRow("missing file") << Outcome("absent.txt", 0, {}, Status::FileError,
                                             "File " + kData + "absent.txt not found.",
                                             "File Error", Icon::Exclamation);
}

void TestTwoColumn::loads() {
    QFETCH(Outcome, expected);
    test::TestContext t;
    test::RecordingBusyView busy;
    t.folder.state.StarName = QStringLiteral("SS Cyg");
    t.folder.state.ColorVIS = 12345;
    const ImportResult r = ImportTwoColumnFile(t.ctx, busy, kData + expected.file);
    QCOMPARE(r.status, expected.status);
    QCOMPARE(r.text, expected.text);
    QCOMPARE(r.title, expected.title);
    QCOMPARE(r.icon, expected.icon);
    QCOMPARE(r.records, expected.stored.size());
    QCOMPARE(t.folder.state.NumRecords, expected.lines);
    QCOMPARE(test::storedRows(t.folder.store, {"JD", "Mag", "Faint", "Uncertain"}),
             expected.stored);
    QCOMPARE(test::storedRows(t.folder.store, {"Star", "PunktFarb"}),
             QStringList(expected.stored.size(), "SS Cyg|12345"));
    QCOMPARE(busy.captionShown || busy.progressShown, false);
    // The importer leaves the message box to its caller.
    QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
}

// Guards the star name: the file name cut before its first ".", or whole.
void TestTwoColumn::starNameFromPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addRow("first dot of the name") << "/data/v1.2/SS Cyg.data.txt" << QString("SS Cyg");
    QTest::addRow("no dot: whole name") << "/data/chi cyg" << QString("chi cyg");
}

void TestTwoColumn::starNameFromPath() {
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(StarNameFromPath(path), name);
}

QTEST_GUILESS_MAIN(TestTwoColumn)
#include "tst_twocolumn.moc"
