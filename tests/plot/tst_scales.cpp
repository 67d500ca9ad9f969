#include "canvas/Canvas.h"
#include "plot/PlotView.h"
#include "plot/Scales.h"
#include "store/Context.h"
#include "support/ScriptedPlatform.h"
#include "support/TestStore.h"

#include <QTest>
#include <cmath>
#include <vector>

using namespace varilume;
using varilume::test::ScriptedPlatform;
using varilume::test::TestFolder;

namespace {

// The three canvases of the main window, recording what is drawn on them.
class ScaleView : public PlotView {
public:
    Canvas view{600, 400, 0, 0x00FFFF};
    Canvas jdScale{600, 30, 0, 0xFFFFFF};
    Canvas magScale{40, 400, 0, 0xFFFFFF};

    ScaleView() {
        for (Canvas* c : {&view, &jdScale, &magScale})
            c->setRecording(true);
    }
    Canvas& picView() override { return view; }
    Canvas& picJDScale() override { return jdScale; }
    Canvas& picMagScale() override { return magScale; }
    void repaintCanvases() override {}
    void setStarCaption(const QString& caption) override { caption_ = caption; }
    QString starCaption() const override { return caption_; }
    void setViewEnabled(bool) override {}
    void HidePlot() override {}
    void ShowPlot() override {}
    void setRangeLabels(const QString&, const QString&, const QString&, const QString&) override {}
    void showBusyCaption(const QString&) override {}
    void hideBusyCaption() override {}
    void showProgress(int) override {}
    void setProgress(int) override {}
    void hideProgress() override {}

private:
    QString caption_;
};

struct Fixture {
    TestFolder folder;
    ScriptedPlatform platform;
    ScaleView view;
    Context ctx{folder.state, folder.store, platform};
};

struct Corners {
    double left, top, width, height;
};

Corners cornersOf(const Canvas& c) {
    return {c.scaleLeft(), c.scaleTop(), c.scaleWidth(), c.scaleHeight()};
}

std::vector<Canvas::Op> opsOf(const Canvas& c, Canvas::Op::Kind kind) {
    std::vector<Canvas::Op> out;
    for (const Canvas::Op& op : c.ops())
        if (op.kind == kind)
            out.push_back(op);
    return out;
}

// x positions of the vertical ticks reaching from y = top to the bottom edge.
QList<double> tickXs(const Canvas& c, double top) {
    QList<double> xs;
    for (const Canvas::Op& op : opsOf(c, Canvas::Op::Line))
        if (op.y1 == top && op.y2 == 20 && op.x1 == op.x2)
            xs.append(op.x1);
    return xs;
}

// y positions of the horizontal ticks of the given length.
QList<double> tickYs(const Canvas& c, double length) {
    QList<double> ys;
    for (const Canvas::Op& op : opsOf(c, Canvas::Op::Line))
        if (op.x1 == 0 && op.x2 == length && op.y1 == op.y2)
            ys.append(op.y1);
    return ys;
}

QStringList textsOf(const Canvas& c) {
    QStringList texts;
    for (const Canvas::Op& op : opsOf(c, Canvas::Op::Text))
        texts.append(op.text);
    return texts;
}

QString describeLabels(const Canvas& c) {
    QStringList parts;
    for (const Canvas::Op& op : opsOf(c, Canvas::Op::Text))
        parts.append(QStringLiteral("'%1' at (%2, %3)").arg(op.text).arg(op.x1).arg(op.y1));
    return parts.join(QStringLiteral("; "));
}

} // namespace

class TestScales : public QObject {
    Q_OBJECT

private slots:
    void scalerSetsCoordinateSystems_data();
    void scalerSetsCoordinateSystems();
    void scalerFailureKeepsSystems_data();
    void scalerFailureKeepsSystems();
    void phaseScaleOneCycle();
    void phaseScaleTwoCycles();
    void magnitudeScale_data();
    void magnitudeScale();
    void magnitudeLabelsCentredOnTicks();
    void absurdMagnitudeRangeEndsWithMessage();
};

void TestScales::scalerSetsCoordinateSystems_data() {
    QTest::addColumn<bool>("twoCycles");
    QTest::addColumn<double>("half");

    QTest::addRow("one cycle") << false << 0.5;
    QTest::addRow("two cycles") << true << 1.0;
}

// Guards the three coordinate systems, and that two cycles double the phase range.
void TestScales::scalerSetsCoordinateSystems() {
    QFETCH(bool, twoCycles);
    QFETCH(double, half);

    Fixture f;
    f.folder.state.TwoCycles = twoCycles;
    f.folder.state.MinMag = 7.3f;
    f.folder.state.MaxMag = 12.8f;
    f.folder.state.MinJD = 2450000.5;
    f.folder.state.MaxJD = 2451000.5;
    Scaler(f.ctx, f.view);

    QCOMPARE(f.platform.messages.size(), std::size_t(0));
    const double minMag = 7.3f;
    const double maxMag = 12.8f;
    const Corners v = cornersOf(f.view.view);
    QCOMPARE(v.left, -half);
    QCOMPARE(v.width, 2 * half);
    QCOMPARE(v.top, minMag);
    QCOMPARE(v.height, maxMag - minMag);
    const Corners m = cornersOf(f.view.magScale);
    QCOMPARE(m.left, 0.0);
    QCOMPARE(m.width, 20.0);
    QCOMPARE(m.top, minMag);
    QCOMPARE(m.height, maxMag - minMag);
    const Corners j = cornersOf(f.view.jdScale);
    QCOMPARE(j.left, -half);
    QCOMPARE(j.width, 2 * half);
    QCOMPARE(j.top, 0.0);
    QCOMPARE(j.height, 20.0);
}

void TestScales::scalerFailureKeepsSystems_data() {
    QTest::addColumn<float>("minMag");
    QTest::addColumn<float>("maxMag");
    QTest::addColumn<double>("minJD");
    QTest::addColumn<double>("maxJD");
    QTest::addColumn<bool>("message");

    QTest::addRow("equal magnitudes of loaded data")
        << 9.5f << 9.5f << 2450000.5 << 2450010.5 << true;
    QTest::addRow("magnitudes zero but dates known")
        << 0.0f << 0.0f << 2450000.5 << 2450010.5 << true;
    QTest::addRow("nothing loaded yet") << 0.0f << 0.0f << 0.0 << 0.0 << false;
}

// Guards the Scaler error path: message unless nothing is loaded, and no canvas half-changed.
void TestScales::scalerFailureKeepsSystems() {
    QFETCH(float, minMag);
    QFETCH(float, maxMag);
    QFETCH(double, minJD);
    QFETCH(double, maxJD);
    QFETCH(bool, message);

    Fixture f;
    ProjectState& s = f.folder.state;
    s.MinMag = 8;
    s.MaxMag = 11;
    Scaler(f.ctx, f.view);
    s.TwoCycles = true; // a change a failing Scaler must not half-apply
    s.MinMag = minMag;
    s.MaxMag = maxMag;
    s.MinJD = minJD;
    s.MaxJD = maxJD;
    Scaler(f.ctx, f.view);

    if (message) {
        QCOMPARE(f.platform.messages.size(), std::size_t(1));
        const auto& m = f.platform.messages.front();
        QVERIFY2(m.text.startsWith(QStringLiteral("Error \"")), qPrintable(m.text));
        QVERIFY2(m.text.endsWith(QStringLiteral("\" encountered in module Scaler.")),
                 qPrintable(m.text));
        QCOMPARE(m.title, QStringLiteral("Error"));
        QCOMPARE(m.buttons, Buttons::Ok);
        QCOMPARE(m.icon, Icon::None);
    } else {
        QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
    }
    QCOMPARE(f.view.view.scaleLeft(), -0.5);
    QCOMPARE(f.view.view.scaleTop(), 8.0);
    QCOMPARE(f.view.view.scaleHeight(), 3.0);
    QCOMPARE(f.view.magScale.scaleTop(), 8.0);
    QCOMPARE(f.view.jdScale.scaleLeft(), -0.5);
}

// Guards the one-cycle phase scale: 11 accumulated minor ticks, the majors with the
// extra edge tick at 0.497, and the three labels at their places.
void TestScales::phaseScaleOneCycle() {
    Fixture f;
    f.folder.state.MinMag = 8;
    f.folder.state.MaxMag = 11;
    Scaler(f.ctx, f.view);
    WriteJDScale(f.ctx, f.view);

    const Canvas& c = f.view.jdScale;
    QVERIFY(!c.ops().empty());
    QCOMPARE(c.ops().front().kind, Canvas::Op::Clear);
    const QList<double> minor = tickXs(c, 15);
    QCOMPARE(minor.size(), 11);
    QCOMPARE(minor.front(), -0.5);
    QCOMPARE(minor.back(), 0.5);
    QCOMPARE(tickXs(c, 10), (QList<double>{-0.5, 0.0, 0.5, 0.497}));

    const auto labels = opsOf(c, Canvas::Op::Text);
    QCOMPARE(textsOf(c), (QStringList{"-0.5", "0.0", "0.5"}));
    const QList<QPointF> at{
        {labels[0].x1, labels[0].y1}, {labels[1].x1, labels[1].y1}, {labels[2].x1, labels[2].y1}};
    QCOMPARE(at, (QList<QPointF>{{-0.5, -1}, {-0.01, -0.5}, {0.475, -1}}));
    QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
}

// Guards the two-cycle phase scale: 21 minor ticks ending short of 1 by accumulation,
// five majors and the edge tick at 0.99, and "0.0" centred on zero.
void TestScales::phaseScaleTwoCycles() {
    Fixture f;
    f.folder.state.TwoCycles = true;
    f.folder.state.MinMag = 8;
    f.folder.state.MaxMag = 11;
    Scaler(f.ctx, f.view);
    WriteJDScale(f.ctx, f.view);

    const Canvas& c = f.view.jdScale;
    const QList<double> minor = tickXs(c, 15);
    QCOMPARE(minor.size(), 21);
    QCOMPARE(minor.front(), -1.0);
    QCOMPARE(minor.back(), 0.9999999999999998);
    QCOMPARE(tickXs(c, 10), (QList<double>{-1.0, -0.5, 0.0, 0.5, 1.0, 0.99}));

    const auto labels = opsOf(c, Canvas::Op::Text);
    QCOMPARE(textsOf(c), (QStringList{"0.0", "-1.0", "1.0"}));
    const double w = c.textWidth(QStringLiteral("0.0"));
    QVERIFY(w > 0);
    const QList<QPointF> at{
        {labels[0].x1, labels[0].y1}, {labels[1].x1, labels[1].y1}, {labels[2].x1, labels[2].y1}};
    QCOMPARE(at, (QList<QPointF>{{-w / 2, -1}, {-1, -1}, {0.95, -1}}));
}

void TestScales::magnitudeScale_data() {
    QTest::addColumn<float>("minMag");
    QTest::addColumn<float>("maxMag");
    QTest::addColumn<QList<double>>("halfTicks");
    QTest::addColumn<QStringList>("labels");

    QTest::addRow("fractional range 7.3 to 12.8, no tick at 12.5")
        << 7.3f << 12.8f << QList<double>{7, 7.5, 8, 8.5, 9, 9.5, 10, 10.5, 11, 11.5, 12}
        << QStringList{" 7", " 8", " 9", " 10", " 11", " 12"};
    QTest::addRow("whole MinMag 8 starts at the top edge")
        << 8.0f << 10.4f << QList<double>{8, 8.5, 9, 9.5, 10} << QStringList{" 8", " 9", " 10"};
    QTest::addRow("negative magnitudes carry their sign")
        << -2.5f << 1.2f << QList<double>{-3, -2.5, -2, -1.5, -1, -0.5, 0, 0.5, 1}
        << QStringList{"-3", "-2", "-1", " 0", " 1"};
    QTest::addRow("negative zero shows as zero")
        << -0.0f << 0.7f << QList<double>{0} << QStringList{" 0"};
}

// Guards the magnitude ticks from floor(MinMag) to floor(MaxMag) and the label texts.
void TestScales::magnitudeScale() {
    QFETCH(float, minMag);
    QFETCH(float, maxMag);
    QFETCH(QList<double>, halfTicks);
    QFETCH(QStringList, labels);

    Fixture f;
    f.folder.state.MinMag = minMag;
    f.folder.state.MaxMag = maxMag;
    Scaler(f.ctx, f.view);
    WriteMagScale(f.ctx, f.view);

    const Canvas& c = f.view.magScale;
    QVERIFY(!c.ops().empty());
    QCOMPARE(c.ops().front().kind, Canvas::Op::Clear);
    QCOMPARE(tickYs(c, 2), halfTicks);
    QList<double> whole;
    for (double m : halfTicks)
        if (m == std::floor(m))
            whole.append(m);
    QCOMPARE(tickYs(c, 5), whole);
    QCOMPARE(textsOf(c), labels);
    QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
}

// Guards the label position: six units right of the strip edge, centred on its tick.
void TestScales::magnitudeLabelsCentredOnTicks() {
    Fixture f;
    f.folder.state.MinMag = 7.3f;
    f.folder.state.MaxMag = 12.8f;
    Scaler(f.ctx, f.view);
    WriteMagScale(f.ctx, f.view);

    const Canvas& c = f.view.magScale;
    const auto labels = opsOf(c, Canvas::Op::Text);
    QCOMPARE(labels.size(), std::size_t(6));
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const double m = 7 + double(i);
        const double h = c.textHeight(labels[i].text);
        QVERIFY(h > 0);
        QVERIFY2(labels[i].x1 == 6 && std::fabs(labels[i].y1 - (m - h / 2)) < 1e-12,
                 qPrintable(describeLabels(c)));
    }
}

// Guards against an endless tick loop on magnitudes far beyond any real star.
void TestScales::absurdMagnitudeRangeEndsWithMessage() {
    Fixture f;
    f.folder.state.MinMag = 5;
    f.folder.state.MaxMag = 3.0e9f;
    Scaler(f.ctx, f.view);
    WriteMagScale(f.ctx, f.view);

    QCOMPARE(
        f.platform.textsTitled(QStringLiteral("Error")),
        QStringList{QStringLiteral("Error \"Overflow\" encountered in module WriteMagScale.")});
}

QTEST_MAIN(TestScales)
#include "tst_scales.moc"
