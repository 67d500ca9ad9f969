// The preview's drawing routines: the JD tick step, both scale strips, the
// coordinate systems and the light-curve plot with its status line.
#include "canvas/Canvas.h"
#include "plot/PlotView.h"
#include "preview/PreviewPlot.h"
#include "preview/PreviewView.h"
#include "store/Context.h"
#include "support/ScriptedPlatform.h"
#include "support/TestStore.h"

#include <QTest>
#include <cmath>

using namespace varilume;
using varilume::test::ScriptedPlatform;
using varilume::test::TestFolder;

namespace {

// The preview's canvases at their usual size (15 twips to the pixel).
struct FakePreview : PreviewView {
    Canvas view{681, 353};
    Canvas jdScale{681, 25};
    Canvas magScale{25, 353};
    QString caption;
    bool goEnabled = true;
    bool goDisabledMeanwhile = false;

    FakePreview() {
        for (Canvas* c : {&view, &jdScale, &magScale})
            c->setRecording(true);
    }
    Canvas& picView() override { return view; }
    Canvas& picJDScale() override { return jdScale; }
    Canvas& picMagScale() override { return magScale; }
    void repaintCanvases() override {}
    void setStarCaption(const QString& text) override { caption = text; }
    void setGoEnabled(bool enabled) override {
        goEnabled = enabled;
        if (!enabled)
            goDisabledMeanwhile = true;
    }
};

struct FakeMainWindow : PlotView {
    Canvas view, jdScale, magScale;
    QString caption;
    int hidePlotCalls = 0;
    int showPlotCalls = 0;

    void showBusyCaption(const QString&) override {}
    void hideBusyCaption() override {}
    void showProgress(int) override {}
    void setProgress(int) override {}
    void hideProgress() override {}
    Canvas& picView() override { return view; }
    Canvas& picJDScale() override { return jdScale; }
    Canvas& picMagScale() override { return magScale; }
    void repaintCanvases() override {}
    void setStarCaption(const QString& text) override { caption = text; }
    QString starCaption() const override { return caption; }
    void setViewEnabled(bool) override {}
    void HidePlot() override { ++hidePlotCalls; }
    void ShowPlot() override { ++showPlotCalls; }
    void setRangeLabels(const QString&, const QString&, const QString&, const QString&) override {}
};

struct Row {
    const char* jd;
    const char* mag;
    bool faint;
    std::int32_t color;
};

// Rows around the window 2451000..2451030: two on its bounds, one inside, a
// fainter-than mark inside and two outside.
const Row kLightCurve[] = {
    {"2450990", "10", false, 255},        {"2451000", "10", false, 65280},
    {"2451010.25", "11", true, 15520722}, {"2451020.5678", "12", false, 16711680},
    {"2451030", "11", false, 16744448},   {"2451040", "10", false, 255},
};

struct Fixture {
    TestFolder folder;
    ScriptedPlatform platform;
    FakePreview preview;
    FakeMainWindow main;
    Context ctx{folder.state, folder.store, platform};

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
    void add(std::initializer_list<Row> rows) {
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
    void addLightCurve() {
        folder.store.beginAppend();
        for (const Row& o : kLightCurve) {
            ObsRecord r;
            r.JD = QString::fromLatin1(o.jd);
            r.Mag = QString::fromLatin1(o.mag);
            r.Faint = o.faint ? QStringLiteral("<") : QString();
            r.PunktFarb = o.color;
            folder.store.append(r);
        }
        folder.store.commitAppend();
    }
};

std::vector<Canvas::Op> opsOf(const Canvas& c, Canvas::Op::Kind kind) {
    std::vector<Canvas::Op> out;
    for (const Canvas::Op& op : c.ops())
        if (op.kind == kind)
            out.push_back(op);
    return out;
}

// x of the vertical strip lines starting at this height.
QList<double> tickXs(const Canvas& strip, double top) {
    QList<double> xs;
    for (const Canvas::Op& op : opsOf(strip, Canvas::Op::Line))
        if (op.y1 == top)
            xs << op.x1;
    return xs;
}

// y of the horizontal strip lines reaching this far right.
QList<double> tickYs(const Canvas& strip, double length) {
    QList<double> ys;
    for (const Canvas::Op& op : opsOf(strip, Canvas::Op::Line))
        if (op.x2 == length)
            ys << op.y1;
    return ys;
}

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

    const std::vector<Canvas::Op> texts = opsOf(f.preview.jdScale, Canvas::Op::Text);
    QStringList printed;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        printed << texts[i].text;
        // Centred on its tick, just above the top edge.
        const double width = f.preview.jdScale.textWidth(texts[i].text);
        QCOMPARE(texts[i].x1, majors[qsizetype(i)] - width / 2);
        QCOMPARE(texts[i].y1, -1.0);
    }
    QCOMPARE(printed, labels);
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
    QStringList printed;
    for (const Canvas::Op& op : opsOf(strip, Canvas::Op::Text)) {
        printed << op.text;
        QCOMPARE(op.x1, 6.0);
        QCOMPARE(op.y1, op.text.toDouble() - strip.textHeight(op.text) / 2);
    }
    QCOMPARE(printed, (QStringList{"8", "9", "10", "11", "12"}));
}

void TestPreviewPlot::scalerKeepsSystemsOnEmptySpan_data() {
    QTest::addColumn<bool>("dataLoaded");
    QTest::addColumn<int>("messages");

    QTest::addRow("data loaded: reported") << true << 1;
    QTest::addRow("nothing loaded: silent") << false << 0;
}

void TestPreviewPlot::scalerKeepsSystemsOnEmptySpan() {
    QFETCH(bool, dataLoaded);
    QFETCH(int, messages);

    Fixture f;
    PreviewScaler(f.ctx, f.preview);
    QVERIFY(f.platform.messages.empty());

    ProjectState& s = f.folder.state;
    if (!dataLoaded)
        s.MinJD = s.MaxJD = s.MinMag = s.MaxMag = 0;
    s.JDFrom = s.JDTo = 2451020;
    PreviewScaler(f.ctx, f.preview);

    QCOMPARE(int(f.platform.messages.size()), messages);
    if (messages > 0) {
        const auto& m = f.platform.messages.front();
        QVERIFY2(m.text.startsWith(u"Error \""), qPrintable(m.text));
        QVERIFY2(m.text.endsWith(u"\" encountered in module Scaler."), qPrintable(m.text));
        QCOMPARE(m.title, QStringLiteral("Error"));
        QCOMPARE(m.buttons, Buttons::Ok);
        QCOMPARE(m.icon, Icon::None);
    }
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
    f.addLightCurve();

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
    f.addLightCurve();
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
    f.addLightCurve();
    ProjectState& s = f.folder.state;
    s.JDFrom = s.JDTo = 2451020.5678;

    PreviewFullRedraw(f.ctx, f.preview, f.main);

    QCOMPARE(int(f.platform.messages.size()), 1);
    QVERIFY2(f.platform.messages.front().text.endsWith(u" encountered in module Scaler."),
             qPrintable(f.platform.transcript()));
    QCOMPARE(f.preview.caption, QStringLiteral("   RR LYR - (1 Points)"));
}

QTEST_MAIN(TestPreviewPlot)
#include "tst_previewplot.moc"
