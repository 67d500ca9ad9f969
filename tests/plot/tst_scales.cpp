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
// ticks, and the labels with their places.
struct PhaseStrip {
    int minorTicks;
    double lastMinor;
    QList<double> majorTicks;
    QString labels;
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

        // One cycle: the extra edge tick at 0.497. Two: the minor ticks end short of 1
        // by accumulation, the edge tick at 0.99, and "0.0" centred on zero.
        Fixture probe(true, 8, 11);
        const double w = probe.view.jdScale.textWidth(QStringLiteral("0.0"));
        const PhaseStrip one(11, 0.5, {-0.5, 0.0, 0.5, 0.497},
                             "'-0.5' at (-0.5, -1); '0.0' at (-0.01, -0.5); '0.5' at (0.475, -1)");
        const PhaseStrip two(21, 0.9999999999999998, {-1.0, -0.5, 0.0, 0.5, 1.0, 0.99},
                             QString("'0.0' at (%1, -1); '-1.0' at (-1, -1); '1.0' at (0.95, -1)")
                                 .arg(-w / 2, 0, 'g', 12));
        QTest::addRow("one cycle, magnitudes 7.3 to 12.8: no tick at 12.5")
            << false << 7.3f << 12.8f << one
            << MagStrip({7, 7.5, 8, 8.5, 9, 9.5, 10, 10.5, 11, 11.5, 12}, {7, 8, 9, 10, 11, 12},
                        {" 7", " 8", " 9", " 10", " 11", " 12"});
        QTest::addRow("two cycles, whole MinMag 8 starts at the top edge")
            << true << 8.0f << 10.4f << two
            << MagStrip({8, 8.5, 9, 9.5, 10}, {8, 9, 10}, {" 8", " 9", " 10"});
        QTest::addRow("negative magnitudes carry their sign")
            << false << -2.5f << 1.2f << one
            << MagStrip({-3, -2.5, -2, -1.5, -1, -0.5, 0, 0.5, 1}, {-3, -2, -1, 0, 1},
                        {"-3", "-2", "-1", " 0", " 1"});
    }

    // Guards the coordinate systems of the plot and both strips (the phase range doubled
    // for two cycles), the phase strip's accumulated minor ticks, major ticks and
    // labels with their places, and the magnitude ticks from floor(MinMag) to
    // floor(MaxMag) with labels six units from the edge, centred on their ticks.
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
        QCOMPARE(userSystem(f.view.view), (QList<double>{-half, top, 2 * half, height}));
        QCOMPARE(userSystem(p), (QList<double>{-half, 0, 2 * half, 20}));
        QCOMPARE(userSystem(m), (QList<double>{0, top, 20, height}));

        QCOMPARE(p.ops().front().kind, Canvas::Op::Clear);
        const QList<double> minor = tickXs(p, 15);
        QCOMPARE(minor.size(), phases.minorTicks);
        QCOMPARE(minor.front(), -half);
        QCOMPARE(minor.back(), phases.lastMinor);
        QCOMPARE(tickXs(p, 10), phases.majorTicks);
        QCOMPARE(describeTexts(p), phases.labels);

        QCOMPARE(m.ops().front().kind, Canvas::Op::Clear);
        QCOMPARE(tickYs(m, 2), mags.halfTicks);
        QCOMPARE(tickYs(m, 5), mags.wholeTicks);
        QCOMPARE(textsOf(m), mags.labels);
        for (const Canvas::Op& op : opsOf(m, Canvas::Op::Text))
            QVERIFY2(op.x1 == 6 &&
                         std::fabs(op.y1 + m.textHeight(op.text) / 2 - op.text.toDouble()) < 1e-12,
                     qPrintable(describeTexts(m)));
        QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
    }

    void scalerFailureKeepsSystems_data() {
        QTest::addColumn<float>("mag");
        QTest::addColumn<bool>("datesKnown");
        QTest::addColumn<QString>("reports");

        QTest::addRow("equal magnitudes of loaded data") << 9.5f << true << "Scaler";
        QTest::addRow("magnitudes zero but dates known") << 0.0f << true << "Scaler";
        QTest::addRow("nothing loaded yet: silent") << 0.0f << false << "";
    }

    // Guards the Scaler error path: message unless nothing is loaded, and no canvas half-changed.
    void scalerFailureKeepsSystems() {
        QFETCH(float, mag);
        QFETCH(bool, datesKnown);
        QFETCH(QString, reports);

        Fixture f(false, 8, 11);
        ProjectState& s = f.folder.state;
        s.TwoCycles = true; // a change a failing Scaler must not half-apply
        s.MinMag = s.MaxMag = mag;
        s.MinJD = datesKnown ? 2450000.5 : 0;
        s.MaxJD = datesKnown ? 2450010.5 : 0;
        Scaler(f.ctx, f.view);

        QCOMPARE(f.platform.errorReports(), reports);
        QCOMPARE(userSystem(f.view.view), (QList<double>{-0.5, 8, 1, 3}));
        QCOMPARE(userSystem(f.view.jdScale), (QList<double>{-0.5, 0, 1, 20}));
        QCOMPARE(userSystem(f.view.magScale), (QList<double>{0, 8, 20, 3}));
    }

    void magnitudeTickLimit_data() {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<float>("maxMag");
        QTest::addColumn<QString>("reports");

        QTest::addRow("phase plot, 10,000 magnitudes: drawn") << false << 10000.f << "";
        QTest::addRow("preview, 10,000 magnitudes: drawn") << true << 10000.f << "";
        QTest::addRow("phase plot, 10,001 magnitudes: refused")
            << false << 10001.f << "WriteMagScale";
        QTest::addRow("preview, 10,001 magnitudes: refused") << true << 10001.f << "WriteMagScale";
    }

    // Guards the two windows' strips drifting apart: both draw a wide range up to
    // the same tick limit and refuse the same absurd one, with the same report.
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
        const std::size_t expected = reports.isEmpty() ? std::size_t(3 * 10000 + 2) : 0;
        QCOMPARE(opsOf(view.picMagScale(), Canvas::Op::Line).size(), expected);
    }
};

QTEST_MAIN(TestScales)
#include "tst_scales.moc"
