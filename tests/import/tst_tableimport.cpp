// The light-curve table importer: what a table puts into the store (bands,
// upper limits, flagged rows), what it leaves out and says so, and the band
// codes the plot and the search select by.
#include "import/ColumnChoices.h"
#include "import/ColumnRoles.h"
#include "import/Importer.h"
#include "import/TableLayout.h"
#include "plot/Bands.h"
#include "plot/SearchInput.h"
#include "support/FakeViews.h"
#include "support/Files.h"
#include "support/TestContext.h"

#include <QTest>

using namespace varilume;
using namespace varilume::test;

namespace {

ImportResult importTable(TestContext& t, const QByteArray& content,
                         std::shared_ptr<const TableMapping> mapping = nullptr) {
    const QString path = t.folder.path(QStringLiteral("star.csv"));
    writeFile(path, content);
    RecordingBusyView busy;
    t.folder.state.StarName = QStringLiteral("star");
    return importerFor(DataFileKind::Table)->import(t.ctx, busy, {path, mapping});
}

} // namespace

Q_DECLARE_METATYPE(varilume::ColumnChoices)

class TestTableImport : public QObject {
    Q_OBJECT
private slots:
    // Guards a spreadsheet's CSV: header with a band, CRLF, rows out of time
    // order: every row in, each band a colour class of its own.
    void everyRowWithItsBand() {
        TestContext t;
        ProjectState& s = t.folder.state;
        s.ColorV = 16744448;
        s.ColorB = 16744448; // V and B share a colour, and stay two bands
        s.ColorVIS = 65280;
        const ImportResult r = importTable(t, "JD,Magnitude,Band\r\n"
                                              "2450003.5,9.9,V\r\n"
                                              "2450001.5,10.1,B\r\n"
                                              "2450002.5,9.5,Vis.\r\n"
                                              "2450000.5,10.0,V\r\n");
        QVERIFY2(r.ok(), qPrintable(r.text));
        QCOMPARE(r.records, 4);
        QCOMPARE(storedRows(t.folder.store, {"Star", "JD", "Mag", "Band", "PunktFarb"}),
                 QStringList({"star|2450003.5|9.9|V|16744448", "star|2450001.5|10.1|B|16744448",
                              "star|2450002.5|9.5|Vis.|65280", "star|2450000.5|10|V|16744448"}));
        const auto bands = bandsPresent(s, t.folder.store, 0, 4);
        QStringList names;
        for (const Band& b : bands)
            names << QStringLiteral("%1 %2").arg(b.name).arg(b.count);
        QCOMPARE(names, QStringList({"Vis. 1", "B 1", "V 2"}));
    }

    // Guards rows that are not loaded: each counted by reason, listed with its
    // line in Errors.txt, never silently; upper limits kept as fainter-than
    // estimates; flagged rows kept on request as discrepant ones.
    void skippedRowsReported_data() {
        QTest::addColumn<bool>("keepFlagged");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QByteArray>("errors");
        const QByteArray errors = "Line 3 (unreadable number): 50001,abc,0.1,0\n"
                                  "Line 5 (missing value): 50003,99.99,0.1,0\n";
        QTest::addRow("flagged rows skipped")
            << false << QStringList({"2450000.5|10|0.1|||", "2450002.5|12|0.1|<||"})
            << "2 loaded, 3 skipped (1 unreadable number, 1 flagged, 1 missing value): see "
               "files/Errors.txt"
            << QByteArray(errors + "Line 6 (flagged): 50004,10.5,0.1,1\n");
        QTest::addRow("flagged rows kept as discrepant")
            << true
            << QStringList(
                   {"2450000.5|10|0.1|||", "2450002.5|12|0.1|<||", "2450004.5|10.5|0.1||D|"})
            << "3 loaded, 2 skipped (1 unreadable number, 1 missing value): see files/Errors.txt"
            << errors;
    }
    void skippedRowsReported() {
        QFETCH(bool, keepFlagged);
        QFETCH(QStringList, stored);
        QFETCH(QString, note);
        QFETCH(QByteArray, errors);
        TestContext t;
        const QByteArray file = "mjd,mag,magerr,catflags\n"
                                "50000,10.0,0.1,0\n"
                                "50001,abc,0.1,0\n"
                                "50002,>12.0,0.1,0\n"
                                "50003,99.99,0.1,0\n"
                                "50004,10.5,0.1,1\n";
        const QString path = t.folder.path(QStringLiteral("star.csv"));
        writeFile(path, file);
        TableMapping m = recogniseColumns(sniffTable(path));
        QVERIFY2(m.sure, qPrintable(m.why));
        m.keepFlagged = keepFlagged;
        const ImportResult r = importTable(t, file, std::make_shared<const TableMapping>(m));
        QVERIFY2(r.ok(), qPrintable(r.text));
        // MJD comes in as full JD.
        QCOMPARE(storedRows(t.folder.store, {"JD", "Mag", "Uncertain", "Faint", "Valid", "Band"}),
                 stored);
        QCOMPARE(r.note, note);
        QCOMPARE(readFile(t.folder.state.errorsPath()).value_or("?"), errors);
    }

    // Guards a table the importer cannot use: refused, naming what it found,
    // and nothing stored.
    void unusableColumnsRefused() {
        TestContext t;
        const ImportResult r = importTable(t, "name,colour\nVega,white\n");
        QVERIFY(!r.ok());
        QVERIFY2(r.text.contains(QStringLiteral("name")) &&
                     r.text.contains(QStringLiteral("colour")),
                 qPrintable(r.text));
        QCOMPARE(t.folder.store.count(), 0);
    }

    // Guards the command line's column names: a named column takes the role,
    // the one that had it gives it up, and a wrong name names the columns.
    void columnChoices_data() {
        QTest::addColumn<ColumnChoices>("choices");
        QTest::addColumn<QString>("roles");
        QTest::addColumn<QString>("why");
        QTest::addRow("as recognised") << ColumnChoices{} << "Time Magnitude Uncertainty Time"
                                       << "";
        QTest::addRow("the other time column")
            << ColumnChoices{QStringLiteral("HJD"), {}, {}, {}, {}, false}
            << "Ignore Magnitude Uncertainty Time"
            << "";
        QTest::addRow("a flux") << ColumnChoices{{}, QStringLiteral("mag"), {}, {}, 2400000.0, true}
                                << "Time Flux Uncertainty Time"
                                << "";
        QTest::addRow("no such column")
            << ColumnChoices{QStringLiteral("date"), {}, {}, {}, {}, false} << ""
            << "no column \"date\"; the columns are: mjd, mag, err, hjd";
    }
    void columnChoices() {
        QFETCH(ColumnChoices, choices);
        QFETCH(QString, roles);
        QFETCH(QString, why);
        TableLayout layout;
        layout.columns = QStringList({"mjd", "mag", "err", "hjd"});
        TableMapping m;
        m.roles = {ColumnRole::Time, ColumnRole::Magnitude, ColumnRole::Uncertainty,
                   ColumnRole::Time};
        QString reason;
        const auto out = applyColumnChoices(layout, m, choices, &reason);
        QCOMPARE(reason, why);
        if (!out)
            return;
        QStringList names;
        for (ColumnRole r : out->roles)
            names << roleName(r);
        QCOMPARE(names.join(u' '), roles);
        QCOMPARE(out->sure, choices.any());
        if (choices.timeOffset)
            QCOMPARE(out->timeOffset, *choices.timeOffset);
    }
};

QTEST_GUILESS_MAIN(TestTableImport)
#include "tst_tableimport.moc"
