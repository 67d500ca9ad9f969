#include "canvas/Canvas.h"
#include "plot/Phase.h"
#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "support/CanvasOps.h"
#include "support/FakeViews.h"
#include "support/TestContext.h"

#include <QMap>
#include <QTest>
#include <cmath>
#include <limits>
#include <optional>

using namespace varilume;
using varilume::test::opsOf;
using varilume::test::RecordingPlotView;
using varilume::test::TestContext;

namespace {

struct Row {
    double jd;
    float mag;
    bool faint;
    std::int32_t color;
};

struct Fixture : TestContext {
    RecordingPlotView view;

    Fixture() {
        view.plotting = &folder.state.Plotting;
        ProjectState& s = folder.state;
        s.StarName = QStringLiteral("rr lyr");
        s.MinMag = 7;
        s.MaxMag = 13;
        s.Period = 0.5f;
        s.PlotCaption = QStringLiteral("previous plot");
        view.setStarCaption(QStringLiteral("previous caption"));
        view.calls.clear();
    }

    void load(const QList<Row>& rows) {
        ObsStore& store = folder.store;
        store.beginAppend();
        for (const Row& r : rows) {
            ObsRecord rec;
            rec.Star = folder.state.StarName;
            rec.JD = QString::number(r.jd, 'g', 17);
            rec.Mag = QString::number(r.mag, 'g', 9);
            rec.Faint = r.faint ? QStringLiteral("<") : QString();
            rec.PunktFarb = r.color;
            store.append(rec);
        }
        store.commitAppend();
        ProjectState& s = folder.state;
        s.NumRecords = static_cast<std::int32_t>(rows.size());
        s.JDFrom = rows.front().jd;
        s.JDTo = rows.back().jd;
        Scaler(ctx, view);
    }

    bool plot() { return Plotter(ctx, view); }

    // Phas by JD for every row, as the table shows it to any reader.
    QMap<double, std::optional<float>> storedPhases() {
        QMap<double, std::optional<float>> phases;
        for (const char* sql : {" SELECT * FROM Obs WHERE FAINT <> '<' ORDER BY PHAS; ",
                                " SELECT * FROM Obs WHERE FAINT = '<' ORDER BY PHAS; "}) {
            Recordset rs = folder.store.query(QString::fromLatin1(sql));
            while (!rs.eof()) {
                const double jd = rs.number(QStringLiteral("JD"));
                phases[jd] = rs.isNull(QStringLiteral("Phas"))
                                 ? std::nullopt
                                 : std::optional<float>(rs.single(QStringLiteral("Phas")));
                rs.moveNext();
            }
        }
        return phases;
    }

    std::vector<Canvas::Op> dots() const { return opsOf(view.view, Canvas::Op::Circle); }
};

const QList<Row> kThreeStars{{2450000.25, 9.5f, false, 255},
                             {2450001.5, 10.25f, false, 65280},
                             {2450003.75, 11.0f, false, 16711680}};

QString phaseText(const std::optional<float>& p) {
    return p ? QString::number(*p, 'g', 9) : QStringLiteral("NULL");
}

} // namespace

class TestPlotter : public QObject {
    Q_OBJECT

private slots:
    void captionOfAPlot_data();
    void captionOfAPlot();
    void nothingToPlot_data();
    void nothingToPlot();
    void failureAfterSomeRows();
    void phasesOutsideTheWindowStay();
    void fainterThanIsNotPlotted();
    void eachDotTakesItsOwnColour();
    void busyDisplayAndRestore_data();
    void busyDisplayAndRestore();
    void runsNeverNest();
};

void TestPlotter::captionOfAPlot_data() {
    QTest::addColumn<QString>("starName");
    QTest::addColumn<bool>("xyzLoaded");
    QTest::addColumn<QString>("xyzFileName");
    QTest::addColumn<QString>("caption");

    QTest::addRow("star name trimmed and upper-cased")
        << QStringLiteral("  rr lyr ") << false << QString()
        << QStringLiteral("   RR LYR - (3 Points)");
    QTest::addRow("two-column path upper-cased")
        << QStringLiteral("rr lyr") << true << QStringLiteral("/home/obs/rz cep.txt")
        << QStringLiteral("File: /HOME/OBS/RZ CEP.TXT - (3 Points)");
}

// Guards the two caption forms and their copy in PlotCaption.
void TestPlotter::captionOfAPlot() {
    QFETCH(QString, starName);
    QFETCH(bool, xyzLoaded);
    QFETCH(QString, xyzFileName);
    QFETCH(QString, caption);

    Fixture f;
    f.load(kThreeStars);
    ProjectState& s = f.folder.state;
    s.StarName = starName;
    s.XYZLoaded = xyzLoaded;
    s.XYZFileName = xyzFileName;
    QVERIFY(f.plot());

    QCOMPARE(f.view.starCaption(), caption);
    QCOMPARE(s.PlotCaption, caption);
    QCOMPARE(f.dots().size(), std::size_t(3));
    QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
}

void TestPlotter::nothingToPlot_data() {
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<double>("jdFrom");
    QTest::addColumn<double>("jdTo");
    QTest::addColumn<float>("period");

    QTest::addRow("window holds only fainter-than estimates")
        << QList<Row>{{2450000.5, 9, false, 255},
                      {2450002.5, 12, true, 255},
                      {2450003.5, 12.5, true, 255},
                      {2450005.5, 9, false, 255}}
        << 2450001.0 << 2450004.0 << 0.5f;
    QTest::addRow("window before all data") << kThreeStars << 2449000.0 << 2449100.0 << 0.5f;
    QTest::addRow("period zero") << kThreeStars << 2450000.0 << 2450004.0 << 0.0f;
}

// Guards the quiet "0 Points" ending: no message, untrimmed star name whatever the
// file kind, PlotCaption and the stored phases untouched.
void TestPlotter::nothingToPlot() {
    QFETCH(QList<Row>, rows);
    QFETCH(double, jdFrom);
    QFETCH(double, jdTo);
    QFETCH(float, period);

    Fixture f;
    f.load(rows);
    ProjectState& s = f.folder.state;
    s.StarName = QStringLiteral(" rr lyr");
    s.XYZLoaded = true;
    s.XYZFileName = QStringLiteral("/data/rr.txt");
    s.JDFrom = jdFrom;
    s.JDTo = jdTo;
    s.Period = period;
    QVERIFY(f.plot());

    QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
    QCOMPARE(f.view.starCaption(), QStringLiteral("    RR LYR - (0 Points)"));
    QCOMPARE(s.PlotCaption, QStringLiteral("previous plot"));
    QCOMPARE(f.dots().size(), std::size_t(0));
    const auto phases = f.storedPhases();
    for (auto it = phases.begin(); it != phases.end(); ++it)
        QVERIFY2(!it.value(), qPrintable(QString::number(it.key(), 'f', 5)));
}

// Guards an error in the middle of a run: one message, captions kept, phases
// already stored kept.
void TestPlotter::failureAfterSomeRows() {
    Fixture f;
    f.load({{0.0, 9, false, 255}, {1e300, 10, false, 255}});
    ProjectState& s = f.folder.state;
    s.JDFrom = -1e300; // MidJD 0: the first row is at the epoch, the second a
    s.JDTo = 1e300;    // cycle count no double can hold away
    s.Period = std::numeric_limits<float>::denorm_min();
    QVERIFY(f.plot());

    QCOMPARE(f.platform.textsTitled(QStringLiteral("Error")),
             QStringList{QStringLiteral("Error \"Overflow\" encountered in module Plotter.")});
    QCOMPARE(f.platform.messages.front().buttons, Buttons::Ok);
    QCOMPARE(f.platform.messages.front().icon, Icon::None);
    QCOMPARE(f.view.starCaption(), QStringLiteral("previous caption"));
    QCOMPARE(s.PlotCaption, QStringLiteral("previous plot"));
    const auto phases = f.storedPhases();
    QCOMPARE(phaseText(phases.value(0.0)), QStringLiteral("0"));
    QCOMPARE(phaseText(phases.value(1e300)), QStringLiteral("NULL"));
    QCOMPARE(f.dots().size(), std::size_t(1));
    QCOMPARE(s.Plotting, false);
}

// Guards that a narrower window rewrites only its own rows' phases, with the epoch
// moved to its middle.
void TestPlotter::phasesOutsideTheWindowStay() {
    Fixture f;
    QList<Row> rows;
    for (int i = 0; i < 10; ++i)
        rows.append({2450000.0 + i * 1.25, 9.0f + 0.25f * i, false, 65280});
    f.load(rows);
    ProjectState& s = f.folder.state;
    s.Period = 3;
    QVERIFY(f.plot());
    const auto before = f.storedPhases();

    s.JDFrom = 2450003.75; // rows 3 to 6
    s.JDTo = 2450007.5;
    s.Period = 7;
    s.TwoCycles = true;
    QVERIFY(f.plot());
    const auto after = f.storedPhases();

    QCOMPARE(s.MidJD, 2450005.625);
    QCOMPARE(f.view.starCaption(), QStringLiteral("   RR LYR - (4 Points)"));
    for (int i = 0; i < 10; ++i) {
        const double jd = rows[i].jd;
        const bool inside = i >= 3 && i <= 6;
        const std::optional<float> expected =
            inside ? std::optional<float>(PhaseOf(s, jd)) : before.value(jd);
        QVERIFY(expected.has_value());
        QCOMPARE(phaseText(after.value(jd)), phaseText(expected));
    }
    QCOMPARE(phaseText(after.value(2450005.0)), phaseText(float(-0.625 / 7)));
}

// Guards that fainter-than estimates are neither drawn nor phased.
void TestPlotter::fainterThanIsNotPlotted() {
    Fixture f;
    f.load({{2450000.5, 9, false, 255}, {2450001.5, 12, true, 255}, {2450002.5, 10, false, 255}});
    QVERIFY(f.plot());

    QCOMPARE(f.view.starCaption(), QStringLiteral("   RR LYR - (2 Points)"));
    QCOMPARE(f.dots().size(), std::size_t(2));
    const auto phases = f.storedPhases();
    QCOMPARE(phaseText(phases.value(2450001.5)), QStringLiteral("NULL"));
    QVERIFY(phases.value(2450000.5).has_value());
    QVERIFY(phases.value(2450002.5).has_value());
}

// Guards against filling a dot with the colour of the dot drawn before it.
void TestPlotter::eachDotTakesItsOwnColour() {
    Fixture f;
    f.view.view.setFillColor(0x808080);
    f.load(kThreeStars);
    f.folder.state.Period = 4.0f; // phases -0.4375, -0.125, 0.4375: far apart
    QVERIFY(f.plot());

    const auto dots = f.dots();
    QCOMPARE(dots.size(), std::size_t(3));
    const QImage& img = f.view.view.image();
    for (std::size_t i = 0; i < dots.size(); ++i) {
        const std::int32_t color = kThreeStars[qsizetype(i)].color;
        QCOMPARE(dots[i].color, color);
        QCOMPARE(dots[i].fill, color);
        const QPointF at = f.view.view.toDevice(dots[i].x1, dots[i].y1);
        const QColor centre = img.pixelColor(int(std::floor(at.x())), int(std::floor(at.y())));
        QCOMPARE(rgbValue(centre), color);
    }
}

void TestPlotter::busyDisplayAndRestore_data() {
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<double>("jdTo");
    QTest::addColumn<float>("period");

    QTest::addRow("normal run") << kThreeStars << 2450003.75 << 0.5f;
    QTest::addRow("nothing in the window") << kThreeStars << 2449000.0 << 0.5f;
    QTest::addRow("period zero") << kThreeStars << 2450003.75 << 0.0f;
    QTest::addRow("overflow after the first row")
        << QList<Row>{{0.0, 9, false, 255}, {1e300, 10, false, 255}} << 1e300
        << std::numeric_limits<float>::denorm_min();
}

// Guards the busy display during a run and its undoing on every path.
void TestPlotter::busyDisplayAndRestore() {
    QFETCH(QList<Row>, rows);
    QFETCH(double, jdTo);
    QFETCH(float, period);

    Fixture f;
    f.load(rows);
    ProjectState& s = f.folder.state;
    s.NumRecords = 1234;
    s.JDFrom = rows.front().jd == 0 ? -1e300 : rows.front().jd;
    s.JDTo = jdTo;
    s.Period = period;
    QVERIFY(f.plot());

    const QStringList& calls = f.view.calls;
    const QStringList start{QStringLiteral("repaint"), QStringLiteral("HidePlot"),
                            QStringLiteral("enabled 0 plotting 1"),
                            QStringLiteral("busy Plotting. . . ."),
                            QStringLiteral("progress of 1234")};
    QCOMPARE(calls.mid(0, start.size()), start);
    const QStringList end{QStringLiteral("enabled 1 plotting 1"), QStringLiteral("busy hidden"),
                          QStringLiteral("ShowPlot plotting 1")};
    QCOMPARE(calls.mid(calls.size() - end.size()), end);
    QCOMPARE(s.Plotting, false);
}

// Guards that a plot requested while one runs does nothing and says so.
void TestPlotter::runsNeverNest() {
    Fixture f;
    f.load(kThreeStars);
    f.folder.state.Plotting = true;
    QCOMPARE(f.plot(), false);

    QCOMPARE(f.view.calls, QStringList());
    QVERIFY(f.view.view.ops().empty());
    QVERIFY(f.view.jdScale.ops().empty());
    QCOMPARE(f.folder.state.Plotting, true);
    QCOMPARE(phaseText(f.storedPhases().value(2450000.25)), QStringLiteral("NULL"));
}

QTEST_MAIN(TestPlotter)
#include "tst_plotter.moc"
