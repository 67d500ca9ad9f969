#include "plot/Scales.h"
#include "support/CanvasOps.h"
#include "support/FakeViews.h"
#include "support/TestContext.h"

#include <QTest>
#include <cmath>

using namespace varilume;
using namespace varilume::test;

namespace {

// The main window as the scale routines see it, its plot 600 x 400 pixels, with
// the coordinate systems set for this state.
struct Fixture : TestContext {
    RecordingPlotView view{600, 400};

    Fixture(bool twoCycles, float minMag, float maxMag) {
        folder.state.TwoCycles = twoCycles;
        folder.state.MinMag = minMag;
        folder.state.MaxMag = maxMag;
        Scaler(ctx, view);
    }
};

// The phase strip: how many minor ticks and where the last one falls, the major
// ticks, and the labels with the tick each one names.
struct PhaseStrip {
    int minorTicks;
    double lastMinor;
    QList<double> majorTicks;
    QStringList labels;
    QList<double> labelTicks;
};

// The magnitude strip: half- and whole-magnitude ticks and the labels.
struct MagStrip {
    QList<double> halfTicks, wholeTicks;
    QStringList labels;
};

} // namespace

class TestScales : public QObject {
    Q_OBJECT

private slots:
    void strips_data() {
        QTest::addColumn<bool>("twoCycles");
        QTest::addColumn<float>("minMag");
        QTest::addColumn<float>("maxMag");
        QTest::addColumn<PhaseStrip>("phases");
        QTest::addColumn<MagStrip>("mags");

        // Two cycles: the minor ticks end short of 1 by accumulation. The ticks at
        // the ends lie inside the strip, beside the plot's edge margin.
        const PhaseStrip one(11, 0.5, {-0.5, 0.0, 0.5}, {"-0.5", "0.0", "0.5"}, {-0.5, 0.0, 0.5});
        const PhaseStrip two(21, 0.9999999999999998, {-1.0, -0.5, 0.0, 0.5, 1.0},
                             {"0.0", "-1.0", "1.0"}, {0.0, -1.0, 1.0});
        QTest::addRow("one cycle, magnitudes 7.3 to 12.8: no tick at 12.5")
            << false << 7.3f << 12.8f << one
            << MagStrip({7, 7.5, 8, 8.5, 9, 9.5, 10, 10.5, 11, 11.5, 12}, {7, 8, 9, 10, 11, 12},
                        {" 8", " 9", " 10", " 11", " 12"});
        QTest::addRow("two cycles, whole MinMag 8 starts at the top edge")
            << true << 8.0f << 10.4f << two
            << MagStrip({8, 8.5, 9, 9.5, 10}, {8, 9, 10}, {" 8", " 9", " 10"});
        QTest::addRow("negative magnitudes carry their sign")
            << false << -2.5f << 1.2f << one
            << MagStrip({-3, -2.5, -2, -1.5, -1, -0.5, 0, 0.5, 1}, {-3, -2, -1, 0, 1},
                        {"-2", "-1", " 0", " 1"});
    }

    // Guards the coordinate systems of the plot and both strips (the phase range doubled
    // for two cycles), the phase strip's accumulated minor ticks, major ticks and
    // labels over their ticks, and the magnitude ticks from floor(MinMag) to
    // floor(MaxMag) with labels six units from the edge beside those on the strip. No
    // label is cut at a strip's edge (an end label moves inwards instead).
    void strips() {
        QFETCH(bool, twoCycles);
        QFETCH(float, minMag);
        QFETCH(float, maxMag);
        QFETCH(PhaseStrip, phases);
        QFETCH(MagStrip, mags);

        Fixture f(twoCycles, minMag, maxMag);
        WriteJDScale(f.ctx, f.view);
        WriteMagScale(f.ctx, f.view);

        Canvas& p = f.view.jdScale;
        Canvas& m = f.view.magScale;
        const double half = twoCycles ? 1 : 0.5;
        const double top = minMag, height = double(maxMag) - double(minMag);
        // The data's range a few pixels in from the edges, the strips in step.
        QVERIFY2(sameSystem(insetSystem(f.view.view, kPlotEdgePx, kPlotEdgePx),
                            QList<double>{-half, top, 2 * half, height}),
                 qPrintable(describeSystem(insetSystem(f.view.view, kPlotEdgePx, kPlotEdgePx))));
        QVERIFY2(sameSystem(insetSystem(p, kPlotEdgePx, 0), QList<double>{-half, 0, 2 * half, 20}),
                 qPrintable(describeSystem(insetSystem(p, kPlotEdgePx, 0))));
        QVERIFY2(sameSystem(insetSystem(m, 0, kPlotEdgePx), QList<double>{0, top, 20, height}),
                 qPrintable(describeSystem(insetSystem(m, 0, kPlotEdgePx))));

        QCOMPARE(p.ops().front().kind, Canvas::Op::Clear);
        const QList<double> minor = tickXs(p, 15);
        QCOMPARE(minor.size(), phases.minorTicks);
        QCOMPARE(minor.front(), -half);
        QCOMPARE(minor.back(), phases.lastMinor);
        QCOMPARE(tickXs(p, 10), phases.majorTicks);
        QCOMPARE(textsOf(p), phases.labels);
        QCOMPARE(textsCut(p), QString());
        const std::vector<Canvas::Op> phaseTexts = opsOf(p, Canvas::Op::Text);
        for (std::size_t i = 0; i < phaseTexts.size(); ++i)
            QVERIFY2(textSpansX(p, phaseTexts[i], phases.labelTicks[qsizetype(i)]),
                     qPrintable(describeTexts(p)));

        QCOMPARE(m.ops().front().kind, Canvas::Op::Clear);
        QCOMPARE(tickYs(m, 2), mags.halfTicks);
        QCOMPARE(tickYs(m, 5), mags.wholeTicks);
        QCOMPARE(textsOf(m), mags.labels);
        QCOMPARE(textsCut(m), QString());
        for (const Canvas::Op& op : opsOf(m, Canvas::Op::Text))
            QVERIFY2(op.x1 >= 6 && op.x1 <= 7 && textSpansY(m, op, op.text.toDouble()),
                     qPrintable(describeTexts(m)));
        QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
    }

    void oneMagnitudeWidened_data() {
        QTest::addColumn<float>("mag");
        QTest::addRow("all magnitudes 9.5") << 9.5f;
        QTest::addRow("all magnitudes 0") << 0.0f;
        QTest::addRow("all magnitudes -1.25") << -1.25f;
    }

    // Guards a window of one distinct magnitude (all alike, or the slider at
    // 0 %): shown one magnitude either side, as a single observation is, with
    // its scale, where it used to give an "Invalid procedure call" and no plot.
    void oneMagnitudeWidened() {
        QFETCH(float, mag);
        Fixture f(false, mag, mag);
        WriteMagScale(f.ctx, f.view);
        QCOMPARE(f.platform.errorReports(), QString());
        QVERIFY2(sameSystem(insetSystem(f.view.view, kPlotEdgePx, kPlotEdgePx),
                            QList<double>{-0.5, mag - 1.0, 1, 2}),
                 qPrintable(describeSystem(insetSystem(f.view.view, kPlotEdgePx, kPlotEdgePx))));
        QVERIFY2(sameSystem(insetSystem(f.view.magScale, 0, kPlotEdgePx),
                            QList<double>{0, mag - 1.0, 20, 2}),
                 qPrintable(describeSystem(insetSystem(f.view.magScale, 0, kPlotEdgePx))));
        QVERIFY2(textsOf(f.view.magScale).size() >= 2, qPrintable(describeTexts(f.view.magScale)));
    }

    // Guards the Scaler error path (magnitudes too large to widen): reported,
    // and no canvas half-changed.
    void scalerFailureKeepsSystems() {
        Fixture f(false, 8, 11);
        ProjectState& s = f.folder.state;
        s.TwoCycles = true; // a change a failing Scaler must not half-apply
        s.MinMag = s.MaxMag = 3e38f;
        s.MinJD = 2450000.5;
        s.MaxJD = 2450010.5;
        Scaler(f.ctx, f.view);

        QCOMPARE(f.platform.errorReports(), QStringLiteral("Scaler"));
        QVERIFY2(sameSystem(insetSystem(f.view.view, kPlotEdgePx, kPlotEdgePx),
                            QList<double>{-0.5, 8, 1, 3}),
                 qPrintable(describeSystem(insetSystem(f.view.view, kPlotEdgePx, kPlotEdgePx))));
        QVERIFY2(
            sameSystem(insetSystem(f.view.jdScale, kPlotEdgePx, 0), QList<double>{-0.5, 0, 1, 20}),
            qPrintable(describeSystem(insetSystem(f.view.jdScale, kPlotEdgePx, 0))));
        QVERIFY2(
            sameSystem(insetSystem(f.view.magScale, 0, kPlotEdgePx), QList<double>{0, 8, 20, 3}),
            qPrintable(describeSystem(insetSystem(f.view.magScale, 0, kPlotEdgePx))));
    }

    void magnitudeTickLimit_data() {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<float>("maxMag");
        QTest::addColumn<QString>("reports");

        QTest::addRow("phase plot, 20 magnitudes: drawn") << false << 20.f << "";
        QTest::addRow("preview, 20 magnitudes: drawn") << true << 20.f << "";
        QTest::addRow("phase plot, 10,001 magnitudes: refused")
            << false << 10001.f << "WriteMagScale";
        QTest::addRow("preview, 10,001 magnitudes: refused") << true << 10001.f << "WriteMagScale";
    }

    // Guards the two windows' strips drifting apart: both draw a wide range and
    // refuse the same absurd one (more magnitudes than pixel rows), with the same report.
    void magnitudeTickLimit() {
        QFETCH(bool, preview);
        QFETCH(float, maxMag);
        QFETCH(QString, reports);

        TestContext t;
        t.folder.state.MinMag = 0;
        t.folder.state.MaxMag = maxMag;
        RecordingPlotView main{60, 40};
        FakePreviewView other;
        Pictures& view = preview ? static_cast<Pictures&>(other) : main;
        Scaler(t.ctx, view, 0, 1);
        WriteMagScale(t.ctx, view, preview ? MagLabels::Bare : MagLabels::SignColumn);

        QCOMPARE(t.platform.errorReports(), reports);
        const std::size_t expected = reports.isEmpty() ? std::size_t(3 * maxMag + 2) : 0;
        QCOMPARE(opsOf(view.picMagScale(), Canvas::Op::Line).size(), expected);
    }

    void narrowRanges_data() {
        QTest::addColumn<float>("minMag");
        QTest::addColumn<float>("maxMag");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QList<double>>("minor");

        // A Cepheid's CCD light curve: no whole magnitude inside at all.
        QTest::addRow("15.52 to 15.83: tenths")
            << 15.52f << 15.83f << QStringList{"15.6", "15.7", "15.8"}
            << QList<double>{15.55, 15.6, 15.65, 15.7, 15.75, 15.8};
        QTest::addRow("one whole magnitude inside: tenths around it")
            << 11.85f << 12.12f << QStringList{"11.9", "12.0", "12.1"}
            << QList<double>{11.85, 11.9, 11.95, 12, 12.05, 12.1};
        QTest::addRow("magnitude 15.6 as a single is labelled")
            << 15.6f << 15.7f << QStringList{"15.6", "15.7"} << QList<double>{15.6, 15.65, 15.7};
        QTest::addRow("below zero keeps the sign")
            << -0.43f << -0.12f << QStringList{"-0.4", "-0.3", "-0.2"}
            << QList<double>{-0.4, -0.35, -0.3, -0.25, -0.2, -0.15};
        QTest::addRow("two whole magnitudes inside: whole labels as designed")
            << 11.9f << 13.1f << QStringList{" 12", " 13"} << QList<double>{11, 11.5, 12, 12.5, 13};
    }

    void ticksClearOfLabels_data() {
        QTest::addColumn<float>("minMag");
        QTest::addColumn<float>("maxMag");
        QTest::addColumn<int>("labels");  // MagLabels
        QTest::addColumn<int>("stripPx"); // width of the strip
        const int sign = int(MagLabels::SignColumn), bare = int(MagLabels::Bare);
        QTest::addRow("whole labels with a sign column") << 8.7f << 12.3f << sign << 25;
        QTest::addRow("whole labels, bare (the preview)") << 8.7f << 12.3f << bare << 25;
        QTest::addRow("two-digit bare labels") << 9.5f << 13.5f << bare << 25;
        QTest::addRow("fractional labels") << 15.55f << 15.95f << sign << 40;
        QTest::addRow("fractional labels, bare") << 15.55f << 15.95f << bare << 40;
        QTest::addRow("fractional labels on a wider strip") << 15.55f << 15.95f << sign << 60;
    }

    // Guards the gap between a magnitude label and the ticks at its place: a
    // tick running into "15.6" reads as "-15.6".
    void ticksClearOfLabels() {
        QFETCH(float, minMag);
        QFETCH(float, maxMag);
        QFETCH(int, labels);
        QFETCH(int, stripPx);
        TestContext t;
        RecordingPlotView view(600, 400);
        view.magScale.resize(stripPx, 400);
        t.folder.state.MinMag = minMag;
        t.folder.state.MaxMag = maxMag;
        Scaler(t.ctx, view);
        WriteMagScale(t.ctx, view, MagLabels(labels));
        const Canvas& m = view.magScale;
        const double px = 20.0 / stripPx;
        const std::vector<Canvas::Op> texts = opsOf(m, Canvas::Op::Text);
        QVERIFY(texts.size() >= 2);
        QCOMPARE(textsCut(m), QString());
        for (const Canvas::Op& text : texts) {
            const double at = text.text.toDouble();
            const double digits =
                text.x1 + (text.text.startsWith(u' ') ? m.textWidth(QStringLiteral(" ")) : 0);
            for (const Canvas::Op& line : opsOf(m, Canvas::Op::Line))
                if (std::fabs(line.y1 - at) < 1e-6)
                    QVERIFY2(digits - std::max(line.x1, line.x2) >= 2 * px - 1e-9,
                             qPrintable(text.text + " " + describeTexts(m)));
        }
    }

    // Guards the magnitude strip of a small-amplitude star: labels at the
    // finest of 0.1, 0.2 and 0.5 magnitudes giving two or more, half steps as
    // minor ticks, every label whole beside its tick.
    void narrowRanges() {
        QFETCH(float, minMag);
        QFETCH(float, maxMag);
        QFETCH(QStringList, labels);
        QFETCH(QList<double>, minor);
        Fixture f(false, minMag, maxMag);
        WriteMagScale(f.ctx, f.view);
        const Canvas& m = f.view.magScale;
        QCOMPARE(textsOf(m), labels);
        QList<double> shortTicks = tickYs(m, 2);
        for (double& y : shortTicks)
            y = std::round(y * 1e6) / 1e6;
        QCOMPARE(shortTicks, minor);
        QCOMPARE(textsCut(m), QString());
        for (const Canvas::Op& op : opsOf(m, Canvas::Op::Text))
            QVERIFY2(textSpansY(m, op, op.text.toDouble()), qPrintable(describeTexts(m)));
        QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
    }
};

QTEST_MAIN(TestScales)
#include "tst_scales.moc"
