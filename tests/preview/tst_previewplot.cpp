// The preview's drawing routines: the JD tick step, both scale strips, the
// coordinate systems and the light-curve plot with its status line.
#include "canvas/Canvas.h"
#include "preview/PreviewPlot.h"
#include "support/CanvasOps.h"
#include "support/FakeViews.h"
#include "support/TestContext.h"

#include <QTest>
#include <cmath>

using namespace varilume;
using namespace varilume::test;

namespace {

struct Row {
    const char* jd;
    const char* mag;
    bool faint;
    std::int32_t color;
};

// Rows around the window 2451000..2451030: two on its bounds, one inside, a
// fainter-than mark inside and two outside.
const QList<Row> kLightCurve{
    {"2450990", "10", false, 255},        {"2451000", "10", false, 65280},
    {"2451010.25", "11", true, 15520722}, {"2451020.5678", "12", false, 16711680},
    {"2451030", "11", false, 16744448},   {"2451040", "10", false, 255},
};

struct Fixture : TestContext {
    FakePreviewView preview;
    RecordingPlotView main;

    Fixture() {
        ProjectState& s = folder.state;
        s.StarName = QStringLiteral("rr lyr");
        s.MinJD = 2450990;
        s.MaxJD = 2451040;
        s.MinMag = 10;
        s.MaxMag = 12;
        s.JDFrom = 2451000;
        s.JDTo = 2451030;
    }
    void add(const QList<Row>& rows) {
        folder.store.beginAppend();
        for (const Row& o : rows) {
            ObsRecord r;
            r.Star = folder.state.StarName;
            r.JD = QString::fromLatin1(o.jd);
            r.Mag = QString::fromLatin1(o.mag);
            r.Faint = o.faint ? QStringLiteral("<") : QString();
            r.PunktFarb = o.color;
            folder.store.append(r);
        }
        folder.store.commitAppend();
    }
};

} // namespace

class TestPreviewPlot : public QObject {
    Q_OBJECT

private slots:
    // Guards the step rule of the JD scale, its worked examples and fallbacks.
    void jdStep_data();
    void jdStep();
    // Guards where the JD scale puts its major and minor ticks and its labels.
    void jdScaleTicks_data();
    void jdScaleTicks();
    // Guards the magnitude strip: ticks every half magnitude, whole labels.
    void magScaleTicks();
    // Guards an empty JD window: reported as a Scaler error, old systems kept.
    void scalerKeepsSystemsOnEmptySpan_data();
    void scalerKeepsSystemsOnEmptySpan();
    // Guards the status line of both kinds of file and the points counted.
    void statusLineCountsDrawnPoints_data();
    void statusLineCountsDrawnPoints();
    // Guards two mended faults: dots filled in the colour of the point before
    // them, and JDs rounded to singles on the canvas.
    void dotsKeepTheirColourAndExactJD();
    // Guards a window without drawable rows: no message, " - (0 Points)".
    void onlyFainterWindowShowsZeroPoints();
    // Guards the slider at 0: the full redraw reports Scaler once and still
    // counts the observations at that date.
    void fullRedrawOfSingleDate();
};

void TestPreviewPlot::jdStep_data() {
    QTest::addColumn<double>("span");
    QTest::addColumn<int>("step");

    QTest::addRow("3000 days") << 3000.0 << 300;
    QTest::addRow("1250 days, too many ticks at 100") << 1250.0 << 200;
    QTest::addRow("150 days, too few ticks at 100") << 150.0 << 74;
    QTest::addRow("50 days") << 50.0 << 24;
    QTest::addRow("10000 days") << 10000.0 << 1000;
    QTest::addRow("7.5 days rounds to 8") << 7.5 << 4;
    QTest::addRow("4 days") << 4.0 << 2;
    QTest::addRow("3 days falls back to 100") << 3.0 << 100;
    QTest::addRow("empty span falls back to 100") << 0.0 << 100;
}

void TestPreviewPlot::jdStep() {
    QFETCH(double, span);
    QFETCH(int, step);
    QCOMPARE(PreviewJDStep(span), step);
}

void TestPreviewPlot::jdScaleTicks_data() {
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<int>("step");

    QTest::addRow("span 3000") << 2450000.0 << 2453000.0 << 300;
    QTest::addRow("span 50, fractional ends") << 2451000.3 << 2451050.3 << 24;
    QTest::addRow("span 1250") << 2449990.7 << 2451240.7 << 200;
}

void TestPreviewPlot::jdScaleTicks() {
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(int, step);

    Fixture f;
    f.folder.state.JDFrom = from;
    f.folder.state.JDTo = to;
    PreviewScaler(f.ctx, f.preview);
    PreviewJDScale(f.ctx, f.preview);

    // Every whole day of the window, tested one by one.
    QList<double> majors, minors;
    QStringList labels;
    for (double x = std::floor(from); x <= std::floor(to); x += 1) {
        if (std::fmod(x, step) == 0) {
            majors << x;
            labels << QString::number(static_cast<qint64>(x));
        } else if (std::fmod(x, step) == step / 2) {
            minors << x;
        }
    }
    QVERIFY(majors.size() >= 2);
    QCOMPARE(tickXs(f.preview.jdScale, 15), majors);
    QCOMPARE(tickXs(f.preview.jdScale, 17.5), minors);
    QCOMPARE(opsOf(f.preview.jdScale, Canvas::Op::Line).size(),
             std::size_t(majors.size() + minors.size())); // no other line

    QCOMPARE(textsOf(f.preview.jdScale), labels);
    const std::vector<Canvas::Op> texts = opsOf(f.preview.jdScale, Canvas::Op::Text);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        // Centred on its tick, just above the top edge.
        const double width = f.preview.jdScale.textWidth(texts[i].text);
        QCOMPARE(texts[i].x1, majors[qsizetype(i)] - width / 2);
        QCOMPARE(texts[i].y1, -1.0);
    }
    QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
}

void TestPreviewPlot::magScaleTicks() {
    Fixture f;
    f.folder.state.MinMag = 8.7f;
    f.folder.state.MaxMag = 12.3f;
    PreviewScaler(f.ctx, f.preview);
    PreviewMagScale(f.ctx, f.preview);

    const Canvas& strip = f.preview.magScale;
    QCOMPARE(tickYs(strip, 2), (QList<double>{8, 8.5, 9, 9.5, 10, 10.5, 11, 11.5, 12}));
    QCOMPARE(tickYs(strip, 5), (QList<double>{8, 9, 10, 11, 12}));
    QCOMPARE(opsOf(strip, Canvas::Op::Line).size(), std::size_t(9 + 5)); // no other line
    QCOMPARE(textsOf(strip), (QStringList{"8", "9", "10", "11", "12"}));
    for (const Canvas::Op& op : opsOf(strip, Canvas::Op::Text)) {
        QCOMPARE(op.x1, 6.0);
        QCOMPARE(op.y1, op.text.toDouble() - strip.textHeight(op.text) / 2);
    }
}

void TestPreviewPlot::scalerKeepsSystemsOnEmptySpan_data() {
    QTest::addColumn<bool>("dataLoaded");
    QTest::addColumn<QString>("reports");

    QTest::addRow("data loaded: reported") << true << QStringLiteral("Scaler");
    QTest::addRow("nothing loaded: silent") << false << QString();
}

void TestPreviewPlot::scalerKeepsSystemsOnEmptySpan() {
    QFETCH(bool, dataLoaded);
    QFETCH(QString, reports);

    Fixture f;
    PreviewScaler(f.ctx, f.preview);
    QVERIFY(f.platform.messages.empty());

    ProjectState& s = f.folder.state;
    if (!dataLoaded)
        s.MinJD = s.MaxJD = s.MinMag = s.MaxMag = 0;
    s.JDFrom = s.JDTo = 2451020;
    PreviewScaler(f.ctx, f.preview);

    QCOMPARE(f.platform.errorReports(), reports);
    QCOMPARE(f.preview.view.scaleLeft(), 2451000.0);
    QCOMPARE(f.preview.view.scaleWidth(), 30.0);
    QCOMPARE(f.preview.view.scaleTop(), 10.0);
    QCOMPARE(f.preview.jdScale.scaleLeft(), 2451000.0);
    QCOMPARE(f.preview.jdScale.scaleWidth(), 30.0);
    QCOMPARE(f.preview.magScale.scaleTop(), 10.0);
    QCOMPARE(f.preview.magScale.scaleHeight(), 2.0);
}

void TestPreviewPlot::statusLineCountsDrawnPoints_data() {
    QTest::addColumn<bool>("twoColumn");
    QTest::addColumn<QString>("starName");
    QTest::addColumn<QString>("caption");

    QTest::addRow("observation file: star name trimmed, upper case") << false << "  rr lyr "
                                                                     << "   RR LYR - (3 Points)";
    QTest::addRow("two-column file: path in upper case")
        << true << "ss cyg"
        << "File: /DATA/STARS/SS CYG.TXT - (3 Points)";
}

void TestPreviewPlot::statusLineCountsDrawnPoints() {
    QFETCH(bool, twoColumn);
    QFETCH(QString, starName);
    QFETCH(QString, caption);

    Fixture f;
    ProjectState& s = f.folder.state;
    s.StarName = starName;
    s.XYZLoaded = twoColumn;
    s.XYZFileName = QStringLiteral("/data/stars/ss cyg.txt");
    f.add(kLightCurve);

    PreviewFullRedraw(f.ctx, f.preview, f.main);

    QCOMPARE(f.preview.caption, caption);
    QCOMPARE(s.PlotCaption, caption);
    QCOMPARE(s.Plotting, false);
    QCOMPARE(f.preview.goDisabledMeanwhile, true);
    QCOMPARE(f.preview.goEnabled, true);
    QCOMPARE(f.main.hidePlotCalls, 1);
    QCOMPARE(f.main.showPlotCalls, 0);
    QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
}

void TestPreviewPlot::dotsKeepTheirColourAndExactJD() {
    Fixture f;
    f.add(kLightCurve);
    PreviewPlotRedraw(f.ctx, f.preview, f.main);

    const std::vector<Canvas::Op> dots = opsOf(f.preview.view, Canvas::Op::Circle);
    QCOMPARE(int(dots.size()), 3);
    const double jds[] = {2451000, 2451020.5678, 2451030};
    const std::int32_t colors[] = {65280, 16711680, 16744448};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(dots[i].x1, jds[i]);
        QCOMPARE(dots[i].color, colors[i]);
        QCOMPARE(dots[i].fill, colors[i]);
        QCOMPARE(dots[i].x2, std::abs(f.preview.view.pixelWidth()));
    }
    QCOMPARE(f.folder.state.PointColor, 16744448);
}

void TestPreviewPlot::onlyFainterWindowShowsZeroPoints() {
    Fixture f;
    ProjectState& s = f.folder.state;
    s.StarName = QStringLiteral(" rr lyr ");
    s.PlotCaption = QStringLiteral("previous caption");
    f.add({{"2451005", "11", true, 15520722},
           {"2451015", "11.5", true, 15520722},
           {"2451050", "10", false, 65280}});

    PreviewFullRedraw(f.ctx, f.preview, f.main);

    QCOMPARE(f.preview.caption, QStringLiteral("    RR LYR  - (0 Points)"));
    QCOMPARE(s.PlotCaption, QStringLiteral("previous caption"));
    QCOMPARE(int(opsOf(f.preview.view, Canvas::Op::Circle).size()), 0);
    QCOMPARE(f.main.showPlotCalls, 1);
    QCOMPARE(s.Plotting, false);
    QCOMPARE(f.preview.goEnabled, true);
    QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
}

void TestPreviewPlot::fullRedrawOfSingleDate() {
    Fixture f;
    f.add(kLightCurve);
    ProjectState& s = f.folder.state;
    s.JDFrom = s.JDTo = 2451020.5678;

    PreviewFullRedraw(f.ctx, f.preview, f.main);

    QCOMPARE(f.platform.errorReports(), QStringLiteral("Scaler"));
    QCOMPARE(f.preview.caption, QStringLiteral("   RR LYR - (1 Points)"));
}

QTEST_MAIN(TestPreviewPlot)
#include "tst_previewplot.moc"
