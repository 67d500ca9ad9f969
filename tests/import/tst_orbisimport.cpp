// The ORBIS importer against one small file per input quirk (tests/import/data),
// in the 18-field layout and in the current 24-field layout with both delimiters.
#include "import/OrbisImport.h"
#include "support/FakeViews.h"
#include "support/Files.h"
#include "support/TestContext.h"

#include <QDir>
#include <QtTest>

using namespace varilume;

namespace {

const QString kData = QStringLiteral(VARILUME_TEST_DATA "/import/data/");

/// One import in its own program folder. The thirteen colours are set to 1..13
/// so that PunktFarb names the class chosen: 1 VIS, 2 FAINT, 3 DISC, 4 N/A,
/// 5 U, 6 V, 7 B, 8 R, 9 I, 10 CV, 11 CR, 12 H, 13 J.
struct Load : test::TestContext {
    test::RecordingBusyView busy;

    Load() {
        int n = 0;
        for (const ColorClass& c : kColorClasses)
            folder.state.*(c.member) = ++n;
    }
    ImportResult run(const QString& file) {
        folder.state.FileName = file;
        return ImportOrbisFile(ctx, busy);
    }
};

/// The given lines of a fixture as Errors.txt holds them: unchanged, ended by CR LF.
QByteArray linesOf(const QString& name, const QList<int>& numbers) {
    const QList<QByteArray> all =
        test::readFile(kData + name).value_or("").replace("\r", "").split('\n');
    QByteArray out;
    for (int n : numbers)
        out += all.value(n - 1) + "\r\n";
    return out;
}

const QStringList kLegacy = {"JD", "Mag", "Faint", "PunktFarb"};
const QStringList kCurrent = {"JD",     "Mag",      "Faint", "PunktFarb", "Band",       "Comp1",
                              "Charts", "Comments", "Star",  "ObsAffil",  "MeasMethod", "Credit"};
const QString kCheck = QStringLiteral("Error in loading database. Check source file.");
// What follows it for a file of no observation: the reason, where the lines
// went (the test's Errors.txt stands as ERRORS), the loaders of other files.
const QString kOtherLoaders = QStringLiteral(
    "\r\nFiles \u2192 Load 2-Column File (JD, Mag) reads two or three columns of JD, "
    "magnitude and uncertainty; Files \u2192 Open Light-Curve Table\u2026 reads tables with "
    "named columns.");
using Status = ImportResult::Status;

/// What loading one fixture must give.
struct Outcome {
    QString file;
    QStringList stored = {};  // the columns below of each stored row, joined by "|"
    QList<int> rejected = {}; // line numbers, copied to Errors.txt
    int excluded = 0;
    QStringList columns = kLegacy;
    Status status = Status::Loaded;
    QString text = {}; // of the message box, with its title and icon
    QString title = {};
    Icon icon = Icon::None;
};

} // namespace

Q_DECLARE_METATYPE(Outcome)

class TestOrbisImport : public QObject {
    Q_OBJECT

private slots:
    void loads_data();
    void loads();
    void announcesLinesPlusTwenty_data();
    void announcesLinesPlusTwenty();
};

// Guards what each layout stores, rejects (to a fresh Errors.txt) or leaves out, and each failure.
void TestOrbisImport::loads_data() {
    QTest::addColumn<Outcome>("expected");

    QTest::addRow("header skipped and not rejected, last line without line end")
        << Outcome("orbis_header.txt", {"2451234.5|9.1||6", "2451235.5|9.3||6"});
    QTest::addRow("19 fields, quotes, blank and short lines rejected")
        << Outcome("orbis_field_count.txt", {"2451234.5|9.1||6", "2451236.5|9.3||6"}, {2, 3, 4, 5});
    // A first field with digits that fails the pattern is no header: it is rejected.
    QTest::addRow("seven-digit whole JD accepted, other numbers rejected")
        << Outcome("orbis_jd_pattern.txt",
                   {"2451234.5|9.1||6", "2451235.25|9.2||6", "2451236|9.3||6"}, {4, 5, 6, 7});
    // Fainter-than whatever the band and flag, "Vis." beats "D", TB is B, SI is I,
    // lower-case u is VIS, an empty band N/A.
    QTest::addRow("fainter-than and the colour rule")
        << Outcome("orbis_colours.txt",
                   {"14.5|<|V|2", "13.2|<|Vis.|2", "12|<|V|2", "9.1||Vis.|1", "9.1||V|3",
                    "9.1||TB|7", "9.1||SI|9", "9.1||u|1", "9.1|||4"},
                   {}, 0, {"Mag", "Faint", "Band", "PunktFarb"});
    // Quoting ("""…""", doubled and escaped quotes, delimiters inside quotes),
    // unbalanced quotes rejected alone, UTF-8, JDs and magnitudes without a
    // point, "<", quoted band and flag in the colour rule, DIF rows left out.
    QTest::addRow("current layout, comma")
        << Outcome("orbis24_comma.txt",
                   {"2455410.5123|9.876||6|V|1, 2, 3|X12345AB|C3V,A AND B NOT VISIBLE, MOON|R "
                    "SYN|VSOL|STD|",
                    "2455410.75|9.9||6|V|||COMP \"A\" USED|R SYN||STD|",
                    "2455410.875|9.95||6|V|||COMP \"B\" USED|R SYN||STD|",
                    "2455411.25|10.1||6|V|||Beobachtung durch dünne Wolken|R SYN|Société "
                    "Astronomique|STD|Ø",
                    "2455411|7||1|Vis.||||R SYN|||", "2455412.25|-1.25||3|K||||R SYN||STD|",
                    "2455413.5|11.5|<|2|Vis.||||R SYN|||", "2455416.5|9.4||1|TG||||R SYN||STD|",
                    "2455419.5|9.1||6|V|||SPACED|R SYN||STD|"},
                   {10, 12, 15}, 2, kCurrent);
    QTest::addRow("current layout, TAB") << Outcome(
        "orbis24_tab.txt",
        {"2455410.5|9.8||6|V|||TAB\tINSIDE|R SYN||STD|",
         "2455411.5|9.7||6|V|||SAYS \"HI\"|R SYN||STD|", "2455413.5|9.5||6|V|||A, B, C|R SYN||STD|",
         "2455415.5|12.5|<|2|Vis.||||R SYN|||", "2455416.5|-0.75||1|K||||R SYN||STD|"},
        {4, 9}, 1, kCurrent);
    QTest::addRow("non-numeric magnitude rejected, the load goes on")
        << Outcome("orbis_bad_magnitude.txt", {"2451234.5|9.1||6", "2451236.5|9.3||6"}, {3});
    // A TAB in an 18-field line's comment does not make a TAB-layout file.
    QTest::addRow("TAB inside a comment of the first line")
        << Outcome("orbis_tab_in_comment.txt", {"2451234.5|9.1||6", "2451235.5|9.3||6"});
    QTest::addRow("current layout, TAB, no header")
        << Outcome("orbis24_tab_no_header.txt",
                   {"2455410.5|9.8||6|V|||PLAIN|R SYN||STD|", "2455411.5|9.7||6|V||||R SYN||STD|"},
                   {}, 0, kCurrent);
    QTest::addRow("empty file") << Outcome("orbis_empty.txt", {}, {}, 0, kLegacy, Status::EmptyFile,
                                           kCheck + "\r\nInput past end of file", "Error",
                                           Icon::Critical);
    QTest::addRow("only rejected lines")
        << Outcome("orbis_only_rejected.txt", {}, {1, 2, 3}, 0, kLegacy, Status::NoRecords,
                   kCheck +
                       "\r\nNone of its 3 lines is an ORBIS observation. The lines that could "
                       "not be read are in ERRORS." +
                       kOtherLoaders,
                   "Varilume");
}

void TestOrbisImport::loads() {
    QFETCH(Outcome, expected);
    Load load;
    QVERIFY(test::writeFile(load.folder.state.errorsPath(), "an earlier rejected line\r\n"));
    const ImportResult r = load.run(kData + expected.file);
    QCOMPARE(r.status, expected.status);
    QCOMPARE(QString(r.text).replace(QDir::toNativeSeparators(load.folder.state.errorsPath()),
                                     QStringLiteral("ERRORS")),
             expected.text);
    QCOMPARE(r.title, expected.title);
    QCOMPARE(r.icon, expected.icon);
    QCOMPARE(test::storedRows(load.folder.store, expected.columns), expected.stored);
    QCOMPARE(test::readFile(load.folder.state.errorsPath()).value_or("(no Errors.txt)"),
             linesOf(expected.file, expected.rejected));
    QCOMPARE(r.records, expected.stored.size());
    QCOMPARE(r.rejected, expected.rejected.size());
    QCOMPARE(r.excluded, expected.excluded);
    // The load is announced once its first line is stored.
    QCOMPARE(load.busy.captions.size(), expected.stored.isEmpty() ? 0 : 1);
}

// Guards the announced size (lines + 20), the busy display's order and the samples loading whole.
void TestOrbisImport::announcesLinesPlusTwenty_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("rejected");
    QTest::addColumn<QString>("starName");
    QTest::addColumn<int>("announced");
    const QString samples = QStringLiteral(VARILUME_SAMPLES "/");
    QTest::addRow("100 lines") << kData + "orbis_100_lines.txt" << 0 << "R Syn" << 120;
    QTest::addRow("Mira sample") << samples + "R Syn ORBIS.txt" << 2 << "R Syn" << 3221;
    QTest::addRow("Cepheid sample") << samples + "DL Syn ORBIS.txt" << 0 << "DL Syn" << 921;
    QTest::addRow("current sample") << samples + "S Syn current layout.csv" << 0 << "S Syn" << 421;
}

void TestOrbisImport::announcesLinesPlusTwenty() {
    QFETCH(QString, path);
    QFETCH(int, rejected);
    QFETCH(QString, starName);
    QFETCH(int, announced);
    Load load;
    const ImportResult r = load.run(path);
    QVERIFY2(r.ok(), qPrintable(r.text));
    QCOMPARE(r.rejected, rejected);
    QCOMPARE(load.folder.state.StarName, starName);
    QCOMPARE(load.folder.state.NumRecords, announced);
    QCOMPARE(r.records + r.rejected + r.excluded + 20 + 1, announced);
    QCOMPARE(
        load.busy.captions,
        QStringList{
            QStringLiteral("Loading %1 Records for %2").arg(announced).arg(starName.toUpper())});
    QCOMPARE(load.busy.events, (QStringList{QStringLiteral("progress max %1").arg(announced),
                                            "caption", "hide caption", "hide progress"}));
}

QTEST_GUILESS_MAIN(TestOrbisImport)
#include "tst_orbisimport.moc"
