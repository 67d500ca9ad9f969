#include "canvas/Canvas.h"
#include "plot/Phase.h"
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

// The store holding rows given as SQL values (JD, Mag, Faint, PunktFarb), the
// main window with its coordinate systems set and the earlier plot's captions.
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
        folder.store.execute("INSERT INTO Obs (JD, Mag, Faint, PunktFarb) VALUES " + rows + ";");
        Scaler(ctx, view);
        view.setStarCaption(QStringLiteral("previous caption"));
        view.calls.clear();
    }

    // Stored Phas of every row in table order, "NULL" where there is none.
    QStringList phases() {
        QStringList out;
        for (Recordset rs = folder.store.query(QStringLiteral("SELECT * FROM Obs ORDER BY ID ;"));
             !rs.eof(); rs.moveNext())
            out << (rs.isNull(QStringLiteral("Phas"))
                        ? QStringLiteral("NULL")
                        : QString::number(rs.single(QStringLiteral("Phas")), 'g', 9));
        return out;
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
};

} // namespace

class TestPlotter : public QObject {
    Q_OBJECT

private slots:
    void everyEnding_data();
    void everyEnding();
    void phasesOutsideTheWindowStay();
    void runsNeverNest();
};

void TestPlotter::everyEnding_data() {
    QTest::addColumn<Ending>("e");

    const QStringList phased{"-0.4375", "-0.125", "NULL", "0.4375"}, none(4, "NULL");
    const QStringList dots{"-0.4375 9.5 255", "-0.125 10.25 65280", "0.4375 11 16711680"};
    const QString orbis("   RR LYR - (3 Points)"), xyz("File: /HOME/OBS/RZ CEP.TXT - (3 Points)");
    const QString zero("    RR LYR  - (0 Points)"), kept("previous plot");
    QTest::addRow("ORBIS caption, fainter-than row left out")
        << Ending(kRows, 2450000.25, 2450003.75, 4, "", orbis, orbis, "", phased, dots);
    QTest::addRow("two-column caption") << Ending(
        kRows, 2450000.25, 2450003.75, 4, "/home/obs/rz cep.txt", xyz, xyz, "", phased, dots);
    QTest::addRow("window of only fainter-than rows")
        << Ending(kRows, 2450002, 2450003, 4, "/data/rr.txt", zero, kept, "", none, {});
    QTest::addRow("period zero") << Ending(kRows, 2450000.25, 2450003.75, 0, "/data/rr.txt", zero,
                                           kept, "", none, {});
    // MidJD 0: the first row is at the epoch, the second a cycle count no double holds away.
    const QString overflow("Error \"Overflow\" encountered in module Plotter.");
    const QStringList overflowPhases{"0", "NULL"}, overflowDots{"0 9 255"};
    QTest::addRow("overflow after the first row")
        << Ending("(0, 9, '', 255), (1e300, 10, '', 255)", -1e300, 1e300,
                  std::numeric_limits<float>::denorm_min(), "", "previous caption", kept, overflow,
                  overflowPhases, overflowDots);
}

// Guards each way a run ends: the two caption forms and their copy in PlotCaption,
// fainter-than rows neither drawn nor phased, each dot in its own colour, the quiet
// "0 Points" with the untrimmed name, an error reported once with captions and
// stored phases kept, and the busy display (Plotting set) undone on every path.
void TestPlotter::everyEnding() {
    QFETCH(Ending, e);

    Fixture f(e.rows);
    ProjectState& s = f.folder.state;
    s.JDFrom = e.jdFrom;
    s.JDTo = e.jdTo;
    s.Period = e.period;
    s.XYZLoaded = !e.xyzFile.isEmpty();
    s.XYZFileName = e.xyzFile;
    QVERIFY(Plotter(f.ctx, f.view));

    QCOMPARE(f.view.starCaption(), e.caption);
    QCOMPARE(s.PlotCaption, e.plotCaption);
    QCOMPARE(f.platform.textsTitled(QStringLiteral("Error")).join(u'|'), e.error);
    QCOMPARE(f.platform.errorReports(), e.error.isEmpty() ? QString() : QStringLiteral("Plotter"));
    QCOMPARE(f.phases(), e.phases);
    QStringList drawn;
    for (const Canvas::Op& dot : opsOf(f.view.view, Canvas::Op::Circle)) {
        const QPointF at = f.view.view.toDevice(dot.x1, dot.y1);
        QCOMPARE(rgbValue(f.view.view.image().pixelColor(int(at.x()), int(at.y()))), dot.color);
        QCOMPARE(dot.fill, dot.color);
        drawn << QStringLiteral("%1 %2 %3")
                     .arg(dot.x1, 0, 'g', QLocale::FloatingPointShortest)
                     .arg(dot.y1, 0, 'g', QLocale::FloatingPointShortest)
                     .arg(dot.color);
    }
    QCOMPARE(drawn, e.dots);
    const QStringList& calls = f.view.calls;
    QCOMPARE(calls.mid(0, 5), (QStringList{"repaint", "HidePlot", "enabled 0 plotting 1",
                                           "busy Plotting. . . .", "progress of 1234"}));
    QCOMPARE(calls.mid(calls.size() - 3),
             (QStringList{"enabled 1 plotting 1", "busy hidden", "ShowPlot plotting 1"}));
    QCOMPARE(s.Plotting, false);
}

// Guards that a narrower window rewrites only its own rows' phases, with the epoch
// moved to its middle.
void TestPlotter::phasesOutsideTheWindowStay() {
    QStringList rows;
    for (int i = 0; i < 10; ++i)
        rows << QStringLiteral("(%1, %2, '', 65280)")
                    .arg(2450000 + i * 1.25, 0, 'f', 2)
                    .arg(9 + 0.25 * i);
    Fixture f(rows.join(u','));
    ProjectState& s = f.folder.state;
    s.JDFrom = 2450000;
    s.JDTo = 2450011.25;
    s.Period = 3;
    QVERIFY(Plotter(f.ctx, f.view));
    QStringList expected = f.phases();
    QVERIFY(!expected.contains(QStringLiteral("NULL")));

    s.JDFrom = 2450003.75; // rows 3 to 6
    s.JDTo = 2450007.5;
    s.Period = 7;
    s.TwoCycles = true;
    QVERIFY(Plotter(f.ctx, f.view));

    QCOMPARE(s.MidJD, 2450005.625);
    QCOMPARE(f.view.starCaption(), QStringLiteral("   RR LYR - (4 Points)"));
    for (int i = 3; i <= 6; ++i)
        expected[i] = QString::number(PhaseOf(s, 2450000.0 + i * 1.25), 'g', 9);
    QCOMPARE(expected[4], QString::number(float(-0.625 / 7), 'g', 9));
    QCOMPARE(f.phases(), expected);
}

// Guards that a plot requested while one runs does nothing and says so.
void TestPlotter::runsNeverNest() {
    Fixture f(kRows);
    f.folder.state.Plotting = true;
    QCOMPARE(Plotter(f.ctx, f.view), false);

    QCOMPARE(f.view.calls, QStringList());
    QVERIFY(f.view.view.ops().empty());
    QVERIFY(f.view.jdScale.ops().empty());
    QCOMPARE(f.folder.state.Plotting, true);
    QCOMPARE(f.phases().front(), QStringLiteral("NULL"));
}

QTEST_MAIN(TestPlotter)
#include "tst_plotter.moc"
