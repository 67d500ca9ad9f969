#include "canvas/Canvas.h"
#include "plot/Scales.h"
#include "support/CanvasOps.h"
#include "support/FakeViews.h"
#include "support/TestContext.h"

#include <QTest>
#include <cmath>
#include <vector>

using namespace varilume;
using namespace varilume::test;

namespace {

// The main window as the scale routines see it, its plot 600 x 400 pixels.
struct Fixture : TestContext {
    RecordingPlotView view{600, 400};

    // The magnitude strip of this range, drawn after the coordinate systems.
    void drawMagScale(float minMag, float maxMag) {
        folder.state.MinMag = minMag;
        folder.state.MaxMag = maxMag;
        Scaler(ctx, view);
        WriteMagScale(ctx, view);
    }
    // The phase strip over magnitudes 8 to 11, drawn after the coordinate systems.
    void drawPhaseScale(bool twoCycles) {
        folder.state.TwoCycles = twoCycles;
        folder.state.MinMag = 8;
        folder.state.MaxMag = 11;
        Scaler(ctx, view);
        WriteJDScale(ctx, view);
    }
};

struct Corners {
    double left, top, width, height;
};

Corners cornersOf(const Canvas& c) {
    return {c.scaleLeft(), c.scaleTop(), c.scaleWidth(), c.scaleHeight()};
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

    QCOMPARE(f.platform.errorReports(), message ? QStringLiteral("Scaler") : QString());
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
    f.drawPhaseScale(false);

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
    f.drawPhaseScale(true);

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
    f.drawMagScale(minMag, maxMag);

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
    f.drawMagScale(7.3f, 12.8f);

    const Canvas& c = f.view.magScale;
    const auto labels = opsOf(c, Canvas::Op::Text);
    QCOMPARE(labels.size(), std::size_t(6));
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const double m = 7 + double(i);
        const double h = c.textHeight(labels[i].text);
        QVERIFY(h > 0);
        QVERIFY2(labels[i].x1 == 6 && std::fabs(labels[i].y1 - (m - h / 2)) < 1e-12,
                 qPrintable(describeTexts(c)));
    }
}

// Guards against an endless tick loop on magnitudes far beyond any real star.
void TestScales::absurdMagnitudeRangeEndsWithMessage() {
    Fixture f;
    f.drawMagScale(5, 3.0e9f);

    QCOMPARE(
        f.platform.textsTitled(QStringLiteral("Error")),
        QStringList{QStringLiteral("Error \"Overflow\" encountered in module WriteMagScale.")});
}

QTEST_MAIN(TestScales)
#include "tst_scales.moc"
