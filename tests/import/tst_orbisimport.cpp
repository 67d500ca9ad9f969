// The ORBIS importer against one small file per input quirk (tests/import/data),
// in the 18-field layout and in the current 24-field layout with both delimiters:
// what lands in Obs, what lands in Errors.txt and what the load reports.
#include "import/OrbisImport.h"
#include "support/FakeViews.h"
#include "support/Files.h"
#include "support/TestContext.h"

#include <QDir>
#include <QtTest>

using namespace varilume;

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(VARILUME_TEST_DATA "/import/data/") + name;
}

/// One import in its own program folder. The thirteen colours are set to
/// 1..13 so that a stored PunktFarb names the colour class that was chosen.
struct Load : test::TestContext {
    test::RecordingBusyView busy;
    ImportResult result;

    Load() {
        int n = 0;
        for (const ColorClass& c : kColorClasses)
            folder.state.*(c.member) = ++n;
    }
    ImportResult run(const QString& file) {
        folder.state.FileName = file;
        result = ImportOrbisFile(ctx, busy);
        return result;
    }
    ImportResult runLines(const QByteArray& content) {
        const QString path = folder.path(QStringLiteral("input.txt"));
        if (!test::writeFile(path, content))
            qFatal("cannot write the test input");
        return run(path);
    }
    QByteArray errorsFile() const {
        return test::readFile(folder.state.errorsPath()).value_or("(no Errors.txt)");
    }
    QStringList rows(const QStringList& columns) { return test::storedRows(folder.store, columns); }
};

const QStringList kBasic = {QStringLiteral("JD"), QStringLiteral("Mag"), QStringLiteral("Faint")};
const QStringList kText = {
    QStringLiteral("JD"),         QStringLiteral("Mag"),   QStringLiteral("Faint"),
    QStringLiteral("Band"),       QStringLiteral("Comp1"), QStringLiteral("Charts"),
    QStringLiteral("Comments"),   QStringLiteral("Star"),  QStringLiteral("ObsAffil"),
    QStringLiteral("MeasMethod"), QStringLiteral("Credit")};

QByteArray legacyLine(const QByteArray& mag, const QByteArray& band, const QByteArray& valid) {
    return "2451234.5," + mag + ",,," + band + ",ABC,,,,,,0,," + valid + ",,,,R Syn";
}

QByteArray linesOf(const QString& name, const QList<int>& numbers) {
    const std::optional<QByteArray> content = test::readFile(fixture(name));
    if (!content)
        return "(cannot read fixture)";
    const QList<QByteArray> all = content->split('\n');
    QByteArray out;
    for (int n : numbers) {
        QByteArray line = all.value(n - 1);
        if (line.endsWith('\r'))
            line.chop(1);
        out += line + "\r\n";
    }
    return out;
}

} // namespace

class TestOrbisImport : public QObject {
    Q_OBJECT

private slots:
    void legacyLayout_data();
    void legacyLayout();
    void colourRule_data();
    void colourRule();
    void currentLayout_data();
    void currentLayout();
    void starNameFromLastStoredLine();
    void nonNumericMagnitude();
    void emptyFile();
    void onlyRejectedLines();
    void missingFile();
    void errorsFileMadeAfresh();
    void announcesLinesPlusTwenty();
    void countLines_data();
    void countLines();
    void samplesLoad_data();
    void samplesLoad();
};

// Guards the 18-field rules: header skipped, extra or missing fields rejected
// unchanged, the JD pattern (now with whole JDs), fainter-than estimates.
void TestOrbisImport::legacyLayout_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QByteArray>("errors");

    QTest::addRow("header skipped and not rejected")
        << "orbis_header.txt" << QStringList{"2451234.5|9.1|", "2451235.5|9.3|"} << QByteArray();
    QTest::addRow("comma in a comment makes 19 fields")
        << "orbis_19_fields.txt" << QStringList{"2451234.5|9.1|", "2451236.5|9.3|"}
        << linesOf("orbis_19_fields.txt", {2});
    QTest::addRow("JD pattern, whole JD accepted")
        << "orbis_jd_pattern.txt"
        << QStringList{"2451234.5|9.1|", "2451235.25|9.2|", "2451236|9.3|"} << QByteArray();
    QTest::addRow("fainter-than estimates")
        << "orbis_fainter.txt"
        << QStringList{"2451234.5|14.5|<", "2451235.5|13.2|<", "2451236.5|12|<"} << QByteArray();
    QTest::addRow("blank and short lines rejected")
        << "orbis_short_lines.txt" << QStringList{"2451234.5|9.1|", "2451236.5|9.3|"}
        << linesOf("orbis_short_lines.txt", {2, 3});
    QTest::addRow("no quoting in the 18-field layout")
        << "orbis_quotes_legacy.txt" << QStringList{"2451235.5|9.2|"}
        << linesOf("orbis_quotes_legacy.txt", {1, 3});
    QTest::addRow("byte order mark and CR LF")
        << "orbis_bom_crlf.txt" << QStringList{"2451234.5|9.1|"} << QByteArray();
    QTest::addRow("last line without line end")
        << "orbis_no_final_newline.txt" << QStringList{"2451234.5|9.1|", "2451235.5|9.2|"}
        << QByteArray();
}

void TestOrbisImport::legacyLayout() {
    QFETCH(QString, file);
    QFETCH(QStringList, stored);
    QFETCH(QByteArray, errors);
    Load load;
    const ImportResult r = load.run(fixture(file));
    QVERIFY2(r.ok(), qPrintable(r.text));
    QCOMPARE(load.rows(kBasic), stored);
    QCOMPARE(load.errorsFile(), errors);
    QCOMPARE(r.records, stored.size());
    QCOMPARE(r.rejected, static_cast<int>(errors.count("\r\n")));
}

// Guards which raw fields reach the colour rule (2, 5 and 14, untrimmed) in both
// layouts; colours are numbered 1..13 in settings order.
void TestOrbisImport::colourRule_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("colour");
    enum { VIS = 1, FAINT, DISC, NA, U, V, B, R, I, CV, CR, H, J };

    QTest::addRow("fainter-than beats band and flag") << legacyLine("<14.5", "V", "D") << +FAINT;
    QTest::addRow("Vis. beats discrepant") << legacyLine("9.1", "Vis.", "D") << +VIS;
    QTest::addRow("discrepant V") << legacyLine("9.1", "V", " D ") << +DISC;
    QTest::addRow("no band") << legacyLine("9.1", "  ", "V") << +NA;
    QTest::addRow("U") << legacyLine("9.1", "U", "V") << +U;
    QTest::addRow("V with blanks") << legacyLine("9.1", " V ", "V") << +V;
    QTest::addRow("R") << legacyLine("9.1", "R", "V") << +R;
    QTest::addRow("CV") << legacyLine("9.1", "CV", "V") << +CV;
    QTest::addRow("J") << legacyLine("9.1", "J", "V") << +J;
    QTest::addRow("CR inside") << legacyLine("9.1", "SCR", "V") << +CR;
    QTest::addRow("H") << legacyLine("9.1", "H", "V") << +H;
    QTest::addRow("TB takes B") << legacyLine("9.1", "TB", "V") << +B;
    QTest::addRow("SI takes I") << legacyLine("9.1", "SI", "V") << +I;
    QTest::addRow("lower-case u") << legacyLine("9.1", "u", "V") << +VIS;
    QTest::addRow("TG beyond the table") << legacyLine("9.1", "TG", "V") << +VIS;
    QTest::addRow("MI contains I") << legacyLine("9.1", "MI", "V") << +I;
    QTest::addRow("N/A") << legacyLine("9.1", "N/A", "V") << +VIS;

    const QByteArray header =
        "JD,Magnitude,Uncertainty,HQuncertainty,Band,Observer Code,Comment Code(s),Comp Star 1,"
        "Comp Star 2,Charts,Comments,Transfomed,Airmass,Validation Flag,Cmag,Kmag,HJD,Star Name,"
        "Observer Affiliation,Measurement Method,Grouping Method,ADS "
        "Reference,Digitizer,Credit\r\n";
    QTest::addRow("current layout, quoted band and flag")
        << header + "2455410.5,9.1,,,\"\"\"V\"\"\",ABC,,,,,,0,,\"D\",,,,R Syn,,STD,,,,\r\n"
        << +DISC;
    QTest::addRow("current layout, TAB, SR beyond the table")
        << QByteArray(header).replace(',', '\t') +
               "2455410.5\t9.1\t\t\tSR\tABC\t\t\t\t\t\t0\t\tV\t\t\t\tR Syn\t\tSTD\t\t\t\t\n"
        << +VIS;
}

void TestOrbisImport::colourRule() {
    QFETCH(QByteArray, content);
    QFETCH(int, colour);
    Load load;
    const QByteArray input = content.endsWith('\n') ? content : content + "\r\n";
    const ImportResult r = load.runLines(input);
    QVERIFY2(r.ok(), qPrintable(r.text + QString::fromUtf8(load.errorsFile())));
    QCOMPARE(load.rows({QStringLiteral("PunktFarb")}), QStringList{QString::number(colour)});
}

// Guards the current download layout: quoting (""" """, doubled and escaped
// quotes, TAB inside quotes), unbalanced quotes not swallowing later lines,
// UTF-8, JDs and magnitudes without a point, negative magnitudes, the six extra
// fields and differential magnitudes left out.
void TestOrbisImport::currentLayout_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QByteArray>("errors");
    QTest::addColumn<int>("excluded");
    QTest::addColumn<QString>("starName");

    QTest::addRow("comma")
        << "orbis24_comma.txt"
        << QStringList{
               "2455410.5123|9.876||V|1, 2, 3|X12345AB|C3V,A AND B NOT VISIBLE, MOON|R SYN|VSOL|STD|",
               "2455410.75|9.9||V|||COMP \"A\" USED|R SYN||STD|",
               "2455410.875|9.95||V|||COMP \"B\" USED|R SYN||STD|",
               "2455411.25|10.1||V|||Beobachtung durch dünne Wolken|R SYN|Société "
               "Astronomique|STD|Ø",
               "2455411|7||Vis.||||R SYN|||",
               "2455412.25|-1.25||K||||R SYN||STD|",
               "2455413.5|11.5|<|Vis.||||R SYN|||",
               "2455416.5|9.4||TG||||R SYN||STD|",
               "2455419.5|9.1||V|||SPACED|R SYN||STD|",
           }
        << linesOf("orbis24_comma.txt", {10, 12, 15}) << 2 << "r syn";
    QTest::addRow("TAB")
        << "orbis24_tab.txt"
        << QStringList{
               "2455410.5|9.8||V|||TAB\tINSIDE|R SYN||STD|",
               "2455411.5|9.7||V|||SAYS \"HI\"|R SYN||STD|",
               "2455413.5|9.5||V|||A, B, C|R SYN||STD|",
               "2455415.5|12.5|<|Vis.||||R SYN|||",
               "2455416.5|-0.75||K||||R SYN||STD|",
           }
        << linesOf("orbis24_tab.txt", {4, 9}) << 1 << "R Syn";
    QTest::addRow("TAB without header")
        << "orbis24_tab_no_header.txt"
        << QStringList{"2455410.5|9.8||V||||R SYN||STD|", "2455411.5|9.7||V||||R SYN||STD|"}
        << QByteArray() << 0 << "R Syn";
    QTest::addRow("quoted column names")
        << "orbis24_quoted_header.txt" << QStringList{"2455410.5|9.8||V||||R SYN|VSOL|STD|"}
        << QByteArray() << 0 << "R Syn";
}

void TestOrbisImport::currentLayout() {
    QFETCH(QString, file);
    QFETCH(QStringList, stored);
    QFETCH(QByteArray, errors);
    QFETCH(int, excluded);
    QFETCH(QString, starName);
    Load load;
    const ImportResult r = load.run(fixture(file));
    QVERIFY2(r.ok(), qPrintable(r.text));
    QCOMPARE(load.rows(kText), stored);
    QCOMPARE(load.errorsFile(), errors);
    QCOMPARE(r.excluded, excluded);
    QCOMPARE(load.folder.state.StarName, starName);
}

// Guards the star's name: the last stored line names it; rejected and skipped
// lines after it do not.
void TestOrbisImport::starNameFromLastStoredLine() {
    Load load;
    const ImportResult r = load.run(fixture(QStringLiteral("orbis_star_names.txt")));
    QVERIFY2(r.ok(), qPrintable(r.text));
    QCOMPARE(load.folder.state.StarName, QStringLiteral("R Synthetica"));
    QCOMPARE(load.rows({QStringLiteral("Star")}), (QStringList{"R SYN", "R SYN", "R SYNTHETICA"}));
    QCOMPARE(load.busy.captions, QStringList{QStringLiteral("Loading 25 Records for R SYN")});
}

// Guards the conversion failure: the message quotes the JD of the offending
// line (not a fixed column range) and the bad line is not stored.
void TestOrbisImport::nonNumericMagnitude() {
    Load load;
    const ImportResult r = load.run(fixture(QStringLiteral("orbis_bad_magnitude.txt")));
    QCOMPARE(r.status, ImportResult::Status::BadValue);
    QVERIFY2(r.text.startsWith(QStringLiteral("Error in loading database. Check source file. "
                                              "Last JD loaded was: 2451235.5.\r\n")),
             qPrintable(r.text));
    QVERIFY2(r.text.size() > 80, "the store's description follows");
    QCOMPARE(r.title, QStringLiteral("Error"));
    QCOMPARE(r.icon, Icon::Critical);
    QCOMPARE(load.folder.state.LoadOK, false);
    QCOMPARE(load.rows(kBasic), QStringList{"2451234.5|9.1|"});
}

// Guards the empty file: its own message, nothing loaded, Errors.txt made.
void TestOrbisImport::emptyFile() {
    Load load;
    const ImportResult r = load.run(fixture(QStringLiteral("orbis_empty.txt")));
    QCOMPARE(r.status, ImportResult::Status::EmptyFile);
    QCOMPARE(r.text, QStringLiteral("Error in loading database. Check source file.\r\n"
                                    "Input past end of file"));
    QCOMPARE(r.title, QStringLiteral("Error"));
    QCOMPARE(r.icon, Icon::Critical);
    QCOMPARE(load.folder.state.LoadOK, false);
    QCOMPARE(load.errorsFile(), QByteArray());
    QCOMPARE(load.rows(kBasic), QStringList());
}

// Guards a file with nothing usable: every line in Errors.txt, the plain message.
void TestOrbisImport::onlyRejectedLines() {
    Load load;
    const ImportResult r = load.run(fixture(QStringLiteral("orbis_only_rejected.txt")));
    QCOMPARE(r.status, ImportResult::Status::NoRecords);
    QCOMPARE(r.text, QStringLiteral("Error in loading database. Check source file."));
    QCOMPARE(r.title, QStringLiteral("Varilume"));
    QCOMPARE(r.icon, Icon::None);
    QCOMPARE(r.rejected, 3);
    QCOMPARE(load.errorsFile(), linesOf(QStringLiteral("orbis_only_rejected.txt"), {1, 2, 3}));
    QCOMPARE(load.folder.state.LoadOK, false);
    QCOMPARE(load.busy.captions, QStringList());
}

// Guards a file that cannot be opened: the path and the system's reason.
void TestOrbisImport::missingFile() {
    Load load;
    const QString path = load.folder.path(QStringLiteral("no such file.txt"));
    const ImportResult r = load.run(path);
    QCOMPARE(r.status, ImportResult::Status::FileError);
    QVERIFY2(r.text.contains(QDir::toNativeSeparators(path)), qPrintable(r.text));
    QVERIFY2(r.text.contains(QStringLiteral("No such file")), qPrintable(r.text));
    QCOMPARE(r.icon, Icon::Critical);
    QCOMPARE(load.folder.state.NumRecords, 0);
}

// Guards stale rejected lines: Errors.txt of an earlier load is replaced.
void TestOrbisImport::errorsFileMadeAfresh() {
    Load load;
    QVERIFY(test::writeFile(load.folder.state.errorsPath(), "an earlier rejected line\r\n"));
    const ImportResult r = load.run(fixture(QStringLiteral("orbis_header.txt")));
    QVERIFY2(r.ok(), qPrintable(r.text));
    QCOMPARE(load.errorsFile(), QByteArray());
}

// Guards the announced size (lines + 20) and the order of the busy display.
void TestOrbisImport::announcesLinesPlusTwenty() {
    Load load;
    const ImportResult r = load.run(fixture(QStringLiteral("orbis_100_lines.txt")));
    QVERIFY2(r.ok(), qPrintable(r.text));
    QCOMPARE(r.records, 99);
    QCOMPARE(load.folder.state.NumRecords, 120);
    QCOMPARE(load.busy.captions, QStringList{QStringLiteral("Loading 120 Records for R SYN")});
    QCOMPARE(load.busy.events,
             (QStringList{"progress max 120", "caption", "hide caption", "hide progress"}));
}

// Guards the line count: a last line without its line end counts, CR LF is one end.
void TestOrbisImport::countLines_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("count");
    QTest::addRow("100 lines") << fixture(QStringLiteral("orbis_100_lines.txt")) << 120;
    QTest::addRow("no final line end")
        << fixture(QStringLiteral("orbis_no_final_newline.txt")) << 23;
    QTest::addRow("CR LF") << fixture(QStringLiteral("orbis_header.txt")) << 23;
    QTest::addRow("empty file") << fixture(QStringLiteral("orbis_empty.txt")) << 20;
    QTest::addRow("missing file") << fixture(QStringLiteral("no such file.txt")) << 0;
    QTest::addRow("no name") << QString() << 0;
}

void TestOrbisImport::countLines() {
    QFETCH(QString, file);
    QFETCH(int, count);
    QCOMPARE(CountLines(file), count);
}

// Guards the shipped samples: each loads, with exactly its deliberate faults.
void TestOrbisImport::samplesLoad_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rejected");
    QTest::addColumn<QString>("starName");
    QTest::addRow("Mira") << "R Syn ORBIS.txt" << 2 << "R Syn";
    QTest::addRow("Cepheid") << "DL Syn ORBIS.txt" << 0 << "DL Syn";
    QTest::addRow("current layout") << "S Syn current layout.csv" << 0 << "S Syn";
}

void TestOrbisImport::samplesLoad() {
    QFETCH(QString, file);
    QFETCH(int, rejected);
    QFETCH(QString, starName);
    Load load;
    const ImportResult r = load.run(QStringLiteral(VARILUME_SAMPLES "/") + file);
    QVERIFY2(r.ok(), qPrintable(r.text));
    QCOMPARE(r.rejected, rejected);
    QCOMPARE(load.folder.state.StarName, starName);
    QVERIFY(r.records > 300);
    // Every line but the header is stored, rejected or left out as differential.
    QCOMPARE(r.records + r.rejected + r.excluded + 20 + 1, load.folder.state.NumRecords);
}

QTEST_GUILESS_MAIN(TestOrbisImport)
#include "tst_orbisimport.moc"
