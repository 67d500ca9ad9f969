#include "export/PhaseExport.h"
#include "format/NumberFormat.h"
#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "support/FakeViews.h"
#include "support/Files.h"
#include "support/TestContext.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace varilume;
using namespace varilume::test;

namespace {

const QDateTime kWhen(QDate(2026, 12, 7), QTime(1, 2, 3));

struct Row {
    QString jd, mag, faint;
};

// A small star: negative phases, magnitudes below 10, with four decimals and
// whole, a fainter-than row, a JD below 1,000,000 (outside the plotted window,
// so never phased) and one at phase 0. Period 4 about MidJD 2450002.
const QList<Row> kSmallStar = {
    {"2450001.0", "9.5", ""},   {"2450002.0", "12.3456", ""}, {"2450003.5", "10", ""},
    {"2450000.5", "8.25", "<"}, {"2450001.75", "11.2", ""},   {"54101.5", "7.1", ""},
    {"2450002.5", "13", ""},    {"2450002.4", "12.25", ""},
};

struct Fixture : TestContext {
    RecordingPlotView view;

    explicit Fixture(const QList<Row>& rows, double from = 2450000, double to = 2450004,
                     float period = 4) {
        ObsStore& store = folder.store;
        store.beginAppend();
        for (const Row& r : rows) {
            ObsRecord rec;
            rec.JD = r.jd;
            rec.Mag = r.mag;
            rec.Faint = r.faint;
            store.append(rec);
        }
        store.commitAppend();
        ProjectState& s = folder.state;
        s.StarLoaded = true;
        s.StarName = QStringLiteral("RR LYR");
        s.MinMag = 7;
        s.MaxMag = 14;
        s.NumRecords = int(rows.size()) + 20;
        s.JDFrom = from;
        s.JDTo = to;
        s.Period = period;
        plot();
    }
    void plot() {
        Scaler(ctx, view);
        Plotter(ctx, view);
    }
    QString out(const QString& name) const { return folder.path(name); }
};

QByteArray expectedFile(const QString& name) {
    return readFile(QStringLiteral(VARILUME_TEST_DATA "/export/data/") + name).value_or("missing");
}

// The data lines of a sorted file, each cut into its phase and magnitude fields.
QStringList sortedFields(const QByteArray& file) {
    QStringList fields;
    const QList<QByteArray> lines = file.split('\n');
    for (qsizetype i = 4; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (!line.isEmpty())
            fields << QString::fromLatin1(line.left(14).trimmed() + " " + line.mid(14));
    }
    return fields;
}

// The phases the last plot stored, read by the sorted file's own query and put
// in the file's number patterns.
QStringList plottedFields(ObsStore& store) {
    QStringList fields;
    Recordset rs = store.query(" SELECT * FROM Obs WHERE FAINT <> '<' ORDER BY PHAS; ");
    for (; !rs.eof(); rs.moveNext())
        if (!rs.isNull("Phas"))
            fields << fmt::pattern(rs.single("Phas"), u"#0.0000000", 7) + " " +
                          fmt::pattern(rs.single("Mag"), u"00.000#", 7);
    return fields;
}

} // namespace

class TestPhaseExport : public QObject {
    Q_OBJECT

private slots:
    void files_data() {
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<QString>("expected");
        QTest::addRow("sorted by phase") << true << "small_sorted.txt";
        QTest::addRow("JD order") << false << "small_jdorder.txt";
    }

    // Guards the layouts byte for byte: header, CR LF, columns, number patterns,
    // the full text of a magnitude wider than its field.
    void files() {
        QFETCH(bool, sorted);
        QFETCH(QString, expected);
        Fixture f(kSmallStar);
        const QString path = f.out("star.txt");
        const ExportResult r = sorted ? SavePhaseSorted(f.ctx, f.view, path, kWhen)
                                      : SaveFile(f.ctx, f.view, path, kWhen);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(readFile(path).value_or("unreadable"), expectedFile(expected));
        QVERIFY(!f.folder.state.Plotting);
        QCOMPARE(f.platform.messages.size(), std::size_t(0));
    }

    void busyDisplay() {
        Fixture f(kSmallStar);
        f.view.calls.clear();
        QVERIFY(SavePhaseSorted(f.ctx, f.view, f.out("a.txt"), kWhen).ok());
        QCOMPARE(f.view.calls, QStringList({"HidePlot", "progress of 28", "busy Saving File. . . .",
                                            "ShowPlot", "busy hidden", "progress hidden"}));
    }

    void plottedPhases_data() {
        QTest::addColumn<bool>("twoCycles");
        QTest::addColumn<int>("steps");
        QTest::addRow("one cycle, period stepped") << false << 3;
        QTest::addRow("two cycles") << true << 0;
        QTest::addRow("two cycles, period stepped") << true << 2;
    }

    // Guards that the file holds the phases of the plot on screen, read from
    // memory, after the period moved and the cycle setting changed.
    void plottedPhases() {
        QFETCH(bool, twoCycles);
        QFETCH(int, steps);
        QList<Row> rows;
        QRandomGenerator rng(7);
        for (int i = 0; i < 300; ++i)
            rows.append({QString::number(2450000 + rng.bounded(400.0), 'f', 4),
                         QString::number(8 + rng.bounded(4.0), 'f', 1), i % 17 ? "" : "<"});
        Fixture f(rows, 2450000, 2450400, 3.7f);
        f.folder.state.TwoCycles = twoCycles;
        for (int i = 0; i < steps; ++i) {
            f.folder.state.Period += 0.013f;
            f.plot();
        }
        if (steps == 0)
            f.plot();
        const QString path = f.out("sorted.txt");
        QVERIFY(SavePhaseSorted(f.ctx, f.view, path, kWhen).ok());
        const QStringList written = sortedFields(readFile(path).value_or(QByteArray()));
        QCOMPARE(written, plottedFields(f.folder.store));
        QCOMPARE(written.size(), 300 - 18);
    }

    void rowsAsQueried_data() {
        QTest::addColumn<QString>("extra");
        QTest::addRow("plain store") << "";
        QTest::addRow("Faint holding '<' among other text") << "('2450001.1', 9, '<<')";
        QTest::addRow("row without JD") << "(NULL, 9, '')";
        QTest::addRow("phase no single holds") << "UPDATE Obs SET Phas = 0.1 WHERE ID = 3";
    }

    // Guards that the rows read from memory are exactly those the query gives,
    // equal phases in table order included; odd rows go the query's way.
    void rowsAsQueried() {
        QFETCH(QString, extra);
        QList<Row> rows;
        QRandomGenerator rng(11);
        for (int i = 0; i < 200; ++i) // whole days at period 4: many equal phases
            rows.append({QString::number(2450000 + rng.bounded(40)),
                         QString::number(8 + rng.bounded(400) / 100.0), i % 9 ? "" : "<"});
        Fixture f(rows, 2450000, 2450040);
        if (extra.startsWith(u'('))
            f.folder.store.execute("INSERT INTO Obs (JD, Mag, Faint) VALUES " + extra);
        else if (!extra.isEmpty())
            f.folder.store.execute(extra);
        f.plot();
        QCOMPARE(f.folder.store.phaseColumns().has_value(), extra.isEmpty());
        const auto expected = phaseSortedRowsByQuery(f.folder.store);
        QCOMPARE(phaseSortedRows(f.folder.store), expected);
        QVERIFY(expected.size() > 150);
    }

    void failures_data() {
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<bool>("folder");
        QTest::addRow("sorted, path is a folder") << true << true;
        QTest::addRow("JD order, path is a folder") << false << true;
        QTest::addRow("JD order, period 0") << false << false;
    }

    // Guards that a failure is reported as such, the display comes back and
    // the program is free again.
    void failures() {
        QFETCH(bool, sorted);
        QFETCH(bool, folder);
        Fixture f(kSmallStar);
        QString path = f.out("out.txt");
        if (folder)
            path = f.folder.dir.path();
        else
            f.folder.state.Period = 0;
        f.view.calls.clear();
        const ExportResult r = sorted ? SavePhaseSorted(f.ctx, f.view, path, kWhen)
                                      : SaveFile(f.ctx, f.view, path, kWhen);
        QCOMPARE(r.status, ExportResult::Status::Failed);
        QVERIFY2(folder ? r.error.contains(QDir::toNativeSeparators(path))
                        : r.error == "Division by zero",
                 qPrintable(r.error));
        QVERIFY(f.view.calls.contains("ShowPlot"));
        QVERIFY(!f.folder.state.Plotting);
        if (!folder) // the header stays
            QVERIFY(readFile(path).value_or(QByteArray()).startsWith("Data for Varilume"));
    }

    // Guards against a second export starting while one yields.
    void busyRefused() {
        Fixture f(kSmallStar);
        f.folder.state.Plotting = true;
        QCOMPARE(SaveFile(f.ctx, f.view, f.out("x.txt"), kWhen).status, ExportResult::Status::Busy);
        QVERIFY(!QFile::exists(f.out("x.txt")));
    }

    void dialogSpec() {
        ProjectState s;
        s.FilePath = "/data/stars";
        s.StarName = " del cep ";
        const FileDialogSpec spec = exportDialogSpec(s, " sorted.txt");
        QCOMPARE(spec.filter, "All Files (*.*)|*.*|Text Files (*.txt)|*.txt|");
        QCOMPARE(spec.filterIndex, 2);
        QCOMPARE(spec.initialFolder, "/data/stars");
        QCOMPARE(spec.fileName, "del cep sorted.txt");
    }
};

QTEST_MAIN(TestPhaseExport)
#include "tst_phaseexport.moc"
