// The preview's drawing routines: the JD tick step, both scale strips, the
// coordinate systems and the light-curve plot with its status line.
#include "canvas/Canvas.h"
#include "plot/Scales.h"
#include "preview/PreviewPlot.h"
#include "support/CanvasOps.h"
#include "support/FakeViews.h"
#include "support/TestContext.h"

#include <QTest>

using namespace varilume;
using namespace varilume::test;

namespace {

// Rows given as SQL values (JD, Mag, Faint, PunktFarb) around the window
// 2451000..2451030: two on its bounds, one inside, a fainter-than mark inside and
// two outside.
const QString kLightCurve("(2450990, 10, '', 255), (2451000, 10, '', 65280), "
                          "(2451010.25, 11, '<', 15520722), (2451020.5678, 12, '', 16711680), "
                          "(2451030, 11, '', 16744448), (2451040, 10, '', 255)");

struct Fixture : TestContext {
    FakePreviewView preview;
    RecordingPlotView main;

    explicit Fixture(const QString& rows = {}) {
        ProjectState& s = folder.state;
        s.MinJD = 2450990;
        s.MaxJD = 2451040;
        s.MinMag = 10;
        s.MaxMag = 12;
        s.JDFrom = 2451000;
        s.JDTo = 2451030;
        if (!rows.isEmpty())
            folder.store.execute("INSERT INTO Obs (JD, Mag, Faint, PunktFarb) VALUES " + rows);
    }
};

// One full redraw: the rows (none: nothing loaded), star name, kind of file and JD
// window; then the error reports, status line and dots ("JD colour") it
// leaves.
struct Redraw {
    QString rows, starName;
    bool twoColumn;
    double jdFrom, jdTo;
    QString reports, caption;
    QStringList dots;
};

} // namespace

class TestPreviewPlot : public QObject {
    Q_OBJECT

private slots:
    // Guards the step rule of the JD scale, its worked examples and fallback (the
    // steps 24 and 74 show in the strips below).
    void jdStep_data() {
        QTest::addColumn<double>("span");
        QTest::addColumn<int>("step");

        QTest::addRow("3000 days") << 3000.0 << 300;
        QTest::addRow("1250 days, too many ticks at 100") << 1250.0 << 200;
        QTest::addRow("4 days") << 4.0 << 2;
        QTest::addRow("3 days falls back to 100") << 3.0 << 100;
    }

    void jdStep() {
        QFETCH(double, span);
        QFETCH(int, step);
        QCOMPARE(PreviewJDStep(span), step);
    }

    // Guards where the scale strips put their ticks and labels: JD majors on
    // multiples of the step, minors halfway, whole days centred above; magnitude
    // ticks every half, whole labels beside them.
    void scaleStrips_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<QList<double>>("majors");
        QTest::addColumn<QList<double>>("minors");

        QTest::addRow("span 50, fractional ends")
            << 2451000.3 << 2451050.3 << QList<double>{2451000, 2451024, 2451048}
            << QList<double>{2451012, 2451036};
        QTest::addRow("window from a labelled day to a labelled day")
            << 2451000.0 << 2451048.0 << QList<double>{2451000, 2451024, 2451048}
            << QList<double>{2451012, 2451036};
        QTest::addRow("span 150, odd step 74")
            << 2451000.5 << 2451150.5 << QList<double>{2451028, 2451102}
            << QList<double>{2451065, 2451139};
    }

    void scaleStrips() {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(QList<double>, majors);
        QFETCH(QList<double>, minors);

        Fixture f;
        f.folder.state.JDFrom = from;
        f.folder.state.JDTo = to;
        f.folder.state.MinMag = 8.7f;
        f.folder.state.MaxMag = 12.3f;
        PreviewScaler(f.ctx, f.preview);
        PreviewJDScale(f.ctx, f.preview);
        WriteMagScale(f.ctx, f.preview, MagLabels::Bare);

        const Canvas& strip = f.preview.jdScale;
        QCOMPARE(tickXs(strip, 15), majors);
        QCOMPARE(tickXs(strip, 17.5), minors);
        QCOMPARE(opsOf(strip, Canvas::Op::Line).size(), std::size_t(majors.size() + minors.size()));
        const std::vector<Canvas::Op> texts = opsOf(strip, Canvas::Op::Text);
        QCOMPARE(qsizetype(texts.size()), majors.size());
        // Whole days above each major, none cut at the strip's ends.
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const double major = majors[qsizetype(i)];
            QCOMPARE(texts[i].text, QString::number(qint64(major)));
            // A tick just outside the window (the first day before JDFrom) keeps
            // its label at the edge.
            QVERIFY2(major < from || major > to || textSpansX(strip, texts[i], major),
                     qPrintable(describeTexts(strip)));
        }
        QCOMPARE(textsCut(strip), QString());

        const Canvas& mags = f.preview.magScale;
        QCOMPARE(tickYs(mags, 2), (QList<double>{8, 8.5, 9, 9.5, 10, 10.5, 11, 11.5, 12}));
        // Whole-magnitude ticks are the longer ones; they stop short of a label
        // that leaves them too little room.
        QList<double> whole;
        for (const Canvas::Op& line : opsOf(mags, Canvas::Op::Line))
            if (line.x1 == 0 && line.x2 > 2)
                whole << line.y1;
        QCOMPARE(whole, (QList<double>{8, 9, 10, 11, 12}));
        QCOMPARE(opsOf(mags, Canvas::Op::Line).size(), std::size_t(9 + 5)); // no other line
        // 8, below the range's top, has its tick off the strip and no label.
        QCOMPARE(textsOf(mags), (QStringList{"9", "10", "11", "12"}));
        // Beside the ticks, at 6 or a little right of it to keep clear of them.
        for (const Canvas::Op& op : opsOf(mags, Canvas::Op::Text)) {
            QVERIFY2(op.x1 >= 6 && op.x1 <= 8, qPrintable(describeTexts(mags)));
            QCOMPARE(op.y1, op.text.toDouble() - mags.textHeight(op.text) / 2);
        }
        QCOMPARE(textsCut(mags), QString());
        QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
    }

    // Guards the hang on huge JDs and magnitudes: where adding a tick step no
    // longer changes the number, the strips still finish, with finite labels.
    void scaleStripsFarOut_data() {
        QTest::addColumn<double>("jd");
        QTest::addColumn<float>("mag");
        QTest::addRow("JD 1e18, equal") << 1e18 << 10.0f;
        QTest::addRow("JD 6e17") << 6e17 << 10.0f;
        QTest::addRow("magnitude 1e18") << 2451000.5 << 1e18f;
        QTest::addRow("magnitude 3e38") << 2451000.5 << 3e38f;
    }
    void scaleStripsFarOut() {
        QFETCH(double, jd);
        QFETCH(float, mag);
        Fixture f;
        ProjectState& s = f.folder.state;
        s.MinJD = s.JDFrom = jd;
        s.MaxJD = s.JDTo = jd;
        s.MinMag = s.MaxMag = mag;
        PreviewJDScale(f.ctx, f.preview);
        WriteMagScale(f.ctx, f.preview, MagLabels::Bare);
        // A window of one value is widened and gets a few ticks; never thousands.
        QVERIFY(opsOf(f.preview.jdScale, Canvas::Op::Line).size() <= 100);
        QVERIFY(opsOf(f.preview.magScale, Canvas::Op::Line).size() <= 100);
    }

    // Guards the status line of both kinds of file and of a window without
    // drawable rows (PlotCaption then kept, the main window shown), a JD window
    // of one date (the slider at 0 %: shown a hundred days either side, as a
    // single observation is, where it used to fail in Scaler; that date's
    // observations counted), and two mended faults: dots filled in the colour
    // of the point before them, and JDs rounded to singles on the canvas.
    void redraw_data() {
        QTest::addColumn<Redraw>("r");

        const double from = 2451000, to = 2451030, date = 2451020.5678;
        QTest::addRow("observation file: star name trimmed, upper case")
            << Redraw(kLightCurve, "  rr lyr ", false, from, to, "", "   RR LYR - (3 Points)",
                      {"2451000 65280", "2451020.5678 16711680", "2451030 16744448"});
        QTest::addRow("window of only fainter-than rows")
            << Redraw("(2451005, 11, '<', 15520722), (2451015, 11.5, '<', 15520722), "
                      "(2451050, 10, '', 65280)",
                      " rr lyr ", false, from, to, "", "   RR LYR - (0 Points)", {});
        QTest::addRow("slider at 0: a single date widened; two-column file")
            << Redraw(kLightCurve, "rr lyr", true, date, date, "",
                      "File: /DATA/STARS/SS CYG.TXT - (1 Points)", {"2451020.5678 16711680"});
        QTest::addRow("a single date with nothing loaded: widened both ways")
            << Redraw("", "rr lyr", false, date, date, "", "   RR LYR - (0 Points)", {});
    }

    void redraw() {
        QFETCH(Redraw, r);

        Fixture f(r.rows);
        PreviewScaler(f.ctx, f.preview); // the systems of the window 2451000..2451030
        ProjectState& s = f.folder.state;
        s.StarName = r.starName;
        s.XYZLoaded = r.twoColumn;
        s.XYZFileName = QStringLiteral("/data/stars/ss cyg.txt");
        s.PlotCaption = QStringLiteral("previous caption");
        s.JDFrom = r.jdFrom;
        s.JDTo = r.jdTo;
        if (r.rows.isEmpty())
            s.MinJD = s.MaxJD = s.MinMag = s.MaxMag = 0;
        PreviewFullRedraw(f.ctx, f.preview, f.main);

        QCOMPARE(f.platform.errorReports(), r.reports);
        QCOMPARE(f.preview.caption, r.caption);
        QCOMPARE(s.PlotCaption, r.dots.isEmpty() ? QStringLiteral("previous caption") : r.caption);
        QStringList drawn;
        for (const Canvas::Op& dot : opsOf(f.preview.view, Canvas::Op::Circle)) {
            QCOMPARE(dot.fill, dot.color);
            drawn << QString::number(dot.x1, 'g', QLocale::FloatingPointShortest) + u' ' +
                         QString::number(dot.color);
        }
        QCOMPARE(drawn, r.dots);
        // A single date or magnitude is shown 100 days or 1 magnitude either side.
        const bool oneDate = r.jdFrom == r.jdTo;
        const double left = oneDate ? r.jdFrom - 100 : 2451000, width = oneDate ? 200 : 30;
        const double top = s.MinMag == s.MaxMag ? s.MinMag - 1.0 : 10;
        QVERIFY2(sameSystem(insetSystem(f.preview.view, kPlotEdgePx, kPlotEdgePx),
                            QList<double>{left, top, width, 2}),
                 qPrintable(describeSystem(insetSystem(f.preview.view, kPlotEdgePx, kPlotEdgePx))));
        QVERIFY2(sameSystem(insetSystem(f.preview.jdScale, kPlotEdgePx, 0),
                            QList<double>{left, 0, width, 20}),
                 qPrintable(describeSystem(insetSystem(f.preview.jdScale, kPlotEdgePx, 0))));
        QVERIFY2(sameSystem(insetSystem(f.preview.magScale, 0, kPlotEdgePx),
                            QList<double>{0, top, 20, 2}),
                 qPrintable(describeSystem(insetSystem(f.preview.magScale, 0, kPlotEdgePx))));
        QCOMPARE(f.main.calls, (r.dots.isEmpty() ? QStringList{"HidePlot", "ShowPlot"}
                                                 : QStringList{"HidePlot"}));
        QCOMPARE(s.Plotting, false);
    }
};

QTEST_MAIN(TestPreviewPlot)
#include "tst_previewplot.moc"
