#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "support/CanvasOps.h"
#include "support/FakeViews.h"
#include "support/TestContext.h"

#include <QTest>
#include <limits>

using namespace varilume;
using namespace varilume::test;

namespace {

// The store holding rows given as SQL values (JD, Mag, Faint, PunktFarb), each in
// a band named after its colour ("c255"), with the phase 0.25 an earlier plot left, the main window
// with its coordinate systems set and the earlier plot's captions.
struct Fixture : TestContext {
    RecordingPlotView view;

    explicit Fixture(const QString& rows) {
        view.plotting = &folder.state.Plotting;
        view.view.setFillColor(0x808080); // a dot must not take the canvas' fill
        ProjectState& s = folder.state;
        s.StarName = QStringLiteral(" rr lyr ");
        s.MinMag = 7;
        s.MaxMag = 13;
        s.PlotCaption = QStringLiteral("previous plot");
        s.NumRecords = 1234; // the progress maximum
        folder.store.execute("INSERT INTO Obs (JD, Mag, Faint, PunktFarb) VALUES " + rows +
                             "; UPDATE Obs SET Phas = 0.25, Band = 'c' || PunktFarb;");
        Scaler(ctx, view);
        view.setStarCaption(QStringLiteral("previous caption"));
        view.calls.clear();
    }
};

// Three plottable rows around a fainter-than one; at Period 4 from 2450000.25 to
// 2450003.75 the phases are -0.4375, -0.125 and 0.4375, so the dots lie far apart.
const QString kRows("(2450000.25, 9.5, '', 255), (2450001.5, 10.25, '', 65280), "
                    "(2450002.5, 12, '<', 65535), (2450003.75, 11, '', 16711680)");

// One run: the rows and the window, Period and loaded file it is made with (an
// empty xyzFile: an ORBIS file), then the captions, error text, stored phases
// and dots ("phase magnitude colour") it leaves.
struct Ending {
    QString rows;
    double jdFrom, jdTo;
    float period;
    QString xyzFile, caption, plotCaption, error;
    QStringList phases, dots;
    QStringList hidden = {}; // keys of hidden bands
};

} // namespace

class TestPlotter : public QObject {
    Q_OBJECT

private slots:
    void everyEnding_data() {
        QTest::addColumn<Ending>("e");

        const QStringList phased{"-0.4375", "-0.125", "0.25", "0.4375"}, none(4, "0.25");
        const QStringList dots{"-0.4375 9.5 255", "-0.125 10.25 65280", "0.4375 11 16711680"};
        const QString orbis("   RR LYR - (3 Points)"),
            xyz("File: /HOME/OBS/RZ CEP.TXT - (3 Points)");
        const QString zero("File: /DATA/RR.TXT - (0 Points)"), kept("previous plot");
        QTest::addRow("ORBIS caption, fainter-than row left out")
            << Ending(kRows, 2450000.25, 2450003.75, 4, "", orbis, orbis, "", phased, dots);
        QTest::addRow("hidden band phased, neither drawn nor counted")
            << Ending(kRows, 2450000.25, 2450003.75, 4, "", "   RR LYR - (2 Points)",
                      "   RR LYR - (2 Points)", "", phased,
                      {"-0.4375 9.5 255", "0.4375 11 16711680"}, {"c65280"});
        QTest::addRow("two-column caption") << Ending(
            kRows, 2450000.25, 2450003.75, 4, "/home/obs/rz cep.txt", xyz, xyz, "", phased, dots);
        QTest::addRow("window of only fainter-than rows")
            << Ending(kRows, 2450002, 2450003, 4, "/data/rr.txt", zero, kept, "", none, {});
        QTest::addRow("period zero")
            << Ending(kRows, 2450000.25, 2450003.75, 0, "/data/rr.txt", zero, kept, "", none, {});
        // Window 2450001..2450003: the epoch moves to 2450002, the rows outside keep their phase.
        QTest::addRow("narrower window: phases outside it kept") << Ending(
            kRows, 2450001, 2450003, 4, "", "   RR LYR - (1 Points)", "   RR LYR - (1 Points)", "",
            {"0.25", "-0.125", "0.25", "0.25"}, {"-0.125 10.25 65280"});
        // MidJD 0: the first row is at the epoch, the second a cycle count no double holds away.
        const QString overflow("Error \"Overflow\" encountered in module Plotter.");
        const QStringList overflowPhases{"0", "0.25"}, overflowDots{"0 9 255"};
        QTest::addRow("overflow at the first row: reported, not \"0 Points\"")
            << Ending("(-1e300, 9, '', 255), (1e300, 10, '', 255)", -1e300, 1e300,
                      std::numeric_limits<float>::denorm_min(), "", "previous caption", kept,
                      overflow, QStringList(2, "0.25"), {});
        QTest::addRow("overflow after the first row")
            << Ending("(0, 9, '', 255), (1e300, 10, '', 255)", -1e300, 1e300,
                      std::numeric_limits<float>::denorm_min(), "", "previous caption", kept,
                      overflow, overflowPhases, overflowDots);
    }

    // Guards each way a run ends: the two caption forms and their copy in PlotCaption,
    // fainter-than rows neither drawn nor phased, each dot in its own colour, a narrower
    // window rewriting only its own rows' phases with the epoch at its middle, the quiet
    // "0 Points" (an empty window, a period of 0) in the caption's usual form, any
    // other error reported once, drawn or not, with captions and stored phases kept,
    // and the busy display (Plotting set) undone on every path.
    void everyEnding() {
        QFETCH(Ending, e);

        Fixture f(e.rows);
        ProjectState& s = f.folder.state;
        s.JDFrom = e.jdFrom;
        s.JDTo = e.jdTo;
        s.Period = e.period;
        s.XYZLoaded = !e.xyzFile.isEmpty();
        s.XYZFileName = e.xyzFile;
        s.HiddenBands = e.hidden;
        QVERIFY(Plotter(f.ctx, f.view));

        QCOMPARE(f.view.starCaption(), e.caption);
        QCOMPARE(s.PlotCaption, e.plotCaption);
        QCOMPARE(f.platform.textsTitled(QStringLiteral("Error")).join(u'|'), e.error);
        QCOMPARE(f.platform.errorReports(),
                 e.error.isEmpty() ? QString() : QStringLiteral("Plotter"));
        QCOMPARE(storedRows(f.folder.store, {"Phas"}), e.phases);
        QStringList drawn;
        for (const Canvas::Op& dot : opsOf(f.view.view, Canvas::Op::Circle)) {
            QCOMPARE(dot.fill, dot.color);
            drawn << QStringLiteral("%1 %2 %3")
                         .arg(dot.x1, 0, 'g', QLocale::FloatingPointShortest)
                         .arg(dot.y1, 0, 'g', QLocale::FloatingPointShortest)
                         .arg(dot.color);
        }
        QCOMPARE(drawn, e.dots);
        // What the user sees of the run: the controls locked and "Plotting" with
        // a progress over every record while it runs; afterwards the controls
        // back, the busy look gone and the plot shown.
        const QStringList& calls = f.view.calls;
        const auto before = [&calls](const char* first, const char* then) {
            const qsizetype a = calls.indexOf(QLatin1String(first));
            return a >= 0 && a < calls.indexOf(QLatin1String(then), a);
        };
        QVERIFY2(before("enabled 0 plotting 1", "enabled 1 plotting 1"),
                 qPrintable(calls.join('|')));
        QVERIFY2(before("busy Plotting. . . .", "busy hidden"), qPrintable(calls.join('|')));
        QVERIFY(calls.contains(QStringLiteral("progress of 1234")));
        QCOMPARE(calls.last(), QStringLiteral("ShowPlot plotting 1"));
        QCOMPARE(calls.count(QStringLiteral("enabled 0 plotting 1")), 1);
        QCOMPARE(s.Plotting, false);
    }

    // Guards that a plot requested while one runs does nothing and says so.
    void runsNeverNest() {
        Fixture f(kRows);
        f.folder.state.Plotting = true;
        QCOMPARE(Plotter(f.ctx, f.view), false);

        QCOMPARE(f.view.calls, QStringList());
        QVERIFY(f.view.view.ops().empty());
        QVERIFY(f.view.jdScale.ops().empty());
        QCOMPARE(f.folder.state.Plotting, true);
        QCOMPARE(storedRows(f.folder.store, {"Phas"}), QStringList(4, "0.25"));
    }
};

QTEST_MAIN(TestPlotter)
#include "tst_plotter.moc"
