#include "export/Bins.h"
#include "format/NumberFormat.h"
#include "plot/Bands.h"
#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "support/CanvasOps.h"
#include "support/FakeViews.h"
#include "support/TestContext.h"

#include <QRandomGenerator>
#include <QTest>

using namespace varilume;
using namespace varilume::test;

namespace {

// Rows given as SQL values (JD, Mag, Faint, Phas): phases and magnitudes that
// singles hold exactly, so the table is worked out from memory.
struct Fixture : TestContext {
    explicit Fixture(const QString& rows) {
        folder.store.execute("INSERT INTO Obs (JD, Mag, Faint, Phas) VALUES " + rows);
    }
    BinTable bins(float width, bool two) {
        Pacer pacer(platform, {});
        return LoadBins(folder.store, binEdges(width, two), pacer, folder.state);
    }
    BinTable byQuery(float width, bool two) {
        Pacer pacer(platform, {});
        return binsByQuery(folder.store, binEdges(width, two), pacer, folder.state);
    }
};

QString describe(const BinTable& t) {
    QStringList bins;
    for (std::size_t i = 0; i < t.phase.size(); ++i)
        bins << fmt::general(t.phase[i]) + " " + fmt::general(t.mag[i]) + " " +
                    fmt::general(t.sd[i]);
    return bins.join(" | ");
}

QString describe(const Canvas::Op& op) {
    const auto colour = [](std::int32_t c) {
        return c == 255        ? QString("red")
               : c == 0        ? QString("black")
               : c == 0xFFFFFF ? QString("white")
                               : QString::number(c);
    };
    const auto n = [](double v) { return fmt::general(float(v)); };
    if (op.kind == Canvas::Op::Circle)
        return "circle " + n(op.x1) + " " + n(op.y1) + " " + colour(op.color) + " fill " +
               colour(op.fill);
    return "line " + n(op.x1) + " " + n(op.y1) + " " + n(op.x2) + " " + n(op.y2) + " " +
           colour(op.color) + " w" + QString::number(op.lineWidth);
}

} // namespace

Q_DECLARE_METATYPE(varilume::BinPlot)

class TestBins : public QObject {
    Q_OBJECT

private slots:
    void edges_data() {
        QTest::addColumn<float>("width");
        QTest::addColumn<bool>("two");
        QTest::addColumn<QString>("expected");
        QTest::addRow("0.10, one cycle: drifting edges")
            << 0.1f << false << "-0.5 -0.4 -0.3 -0.2 -0.1 -1.490116E-08 0.09999999 0.2 0.3 0.4 0.5";
        QTest::addRow("0.10, two cycles: 20 bins from -1, drifting further")
            << 0.1f << true
            << "-1 -0.9 -0.8 -0.6999999 -0.5999999 -0.4999999 -0.3999999 -0.2999999 -0.1999999 "
               "-0.09999993 7.450581E-08 0.1000001 0.2000001 0.3000001 0.4000001 0.5000001 "
               "0.6000001 0.7000001 0.8000001 0.9000002 1";
        QTest::addRow("1 / 0.4 rounds to 2") << 0.4f << false << "-0.5 -0.09999999 0.3";
        QTest::addRow("1 / 0.3 rounds to 3") << 0.3f << false << "-0.5 -0.2 0.1 0.4";
        QTest::addRow("2 / 0.3 rounds to 7")
            << 0.3f << true << "-1 -0.7 -0.4 -0.09999996 0.2 0.5000001 0.8000001 1.1";
        QTest::addRow("1 / 0.15 rounds to 7")
            << 0.15f << false << "-0.5 -0.35 -0.2 -0.04999998 0.1 0.25 0.4 0.5500001";
    }

    // Guards the count (to nearest, halves to even) and the single-precision drift.
    void edges() {
        QFETCH(float, width);
        QFETCH(bool, two);
        QFETCH(QString, expected);
        const BinEdges b = binEdges(width, two);
        QStringList texts;
        for (float e : b.edges)
            texts << fmt::general(e);
        QCOMPARE(texts.join(' '), expected);
        QCOMPARE(b.count, int(b.edges.size()) - 1);
    }

    void widthCheck_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("two");
        QTest::addColumn<QString>("message");
        QTest::addRow("usual") << "0.10" << false << "";
        QTest::addRow("not a number")
            << "abc" << false << "The bin size \"abc\" is not a number above 0 and below 1.";
        QTest::addRow("empty") << "" << false
                               << "The bin size \"\" is not a number above 0 and below 1.";
        QTest::addRow("zero") << "0" << false
                              << "The bin size \"0\" is not a number above 0 and below 1.";
        QTest::addRow("negative") << "-0.1" << false
                                  << "The bin size \"-0.1\" is not a number above 0 and below 1.";
        QTest::addRow("a whole cycle")
            << "1" << false << "The bin size \"1\" is not a number above 0 and below 1.";
        QTest::addRow("one of two cycles") << "1" << true << "";
        QTest::addRow("both cycles")
            << "2" << true << "The bin size \"2\" is not a number above 0 and below 2.";
        QTest::addRow("too many bins")
            << "0.00001" << false
            << "The bin size \"0.00001\" would make more than 10000 bins. Give a larger size.";
    }

    // Guards against a width that the averaging cannot use being taken silently.
    void widthCheck() {
        QFETCH(QString, text);
        QFETCH(bool, two);
        QFETCH(QString, message);
        QCOMPARE(checkBinWidth(text, two).message, message);
    }

    void table_data() {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<float>("width");
        QTest::addColumn<bool>("two");
        QTest::addColumn<QString>("expected");
        QTest::addRow("one- and two-observation bins, last bins empty")
            << "(1, 9, '', -0.4375), (2, 10, '', -0.375), (3, 12, '', -0.34375)" << 0.1f << false
            << "0 0 0 | -0.359375 11 1.414214";
        QTest::addRow("edge observation in both bins, phase 0 in none")
            << "(1, 10, '', -0.375), (2, 11, '', -0.25), (3, 12, '', -0.125), (4, 20, '', 0)"
            << 0.25f << false << "-0.3125 10.5 0.7071068 | -0.1875 11.5 0.7071068";
        QTest::addRow("empty middle bin written as zeros")
            << "(1, 10, '', -0.375), (2, 12, '', -0.3125), (3, 9, '', 0.0625), (4, 9, '', 0.125)"
            << 0.25f << false << "-0.34375 11 1.414214 | 0 0 0 | 0.09375 9 0";
        QTest::addRow("0.10 two cycles: first and last of 20")
            << "(1, 10, '', -0.96875), (2, 12, '', -0.9375), (3, 8, '', 0.9375), (4, 8, '', "
               "0.96875)"
            << 0.1f << true
            << "-0.953125 11 1.414214 | 0 0 0 | 0 0 0 | 0 0 0 | 0 0 0 | 0 0 0 | 0 0 0 | 0 0 0 | "
               "0 0 0 | 0 0 0 | 0 0 0 | 0 0 0 | 0 0 0 | 0 0 0 | 0 0 0 | 0 0 0 | 0 0 0 | 0 0 0 | "
               "0 0 0 | 0.953125 8 0";
        QTest::addRow("fainter-than row left out")
            << "(1, 10, '', -0.375), (2, 12, '<', -0.34375)" << 0.1f << false << "";
        QTest::addRow("null magnitude counted, not summed")
            << "(1, 10, '', -0.375), (2, NULL, '', -0.34375)" << 0.1f << false
            << "0 0 0 | -0.359375 5 0";
        QTest::addRow("no bin qualifies") << "(1, 10, '', -0.375)" << 0.1f << false << "";
    }

    // Guards the table against hand-worked values, from memory and by the queries.
    void table() {
        QFETCH(QString, rows);
        QFETCH(float, width);
        QFETCH(bool, two);
        QFETCH(QString, expected);
        Fixture f(rows);
        QVERIFY(f.folder.store.phaseColumns().has_value());
        QCOMPARE(describe(f.bins(width, two)), expected);
        QCOMPARE(describe(f.byQuery(width, two)), expected);
    }

    void hiddenBands_data() {
        QTest::addColumn<QList<int>>("hidden"); // bands hidden (rows in band "c1" and "c2")
        QTest::addColumn<QString>("expected");
        // Means and sample deviations of the rows below worked out apart (python's
        // statistics module): bin -0.5..-0.25 holds band 1 at 9 and 10 and
        // band 2 at 5 and 6; bin -0.25..0 band 1 at 9 and 9, band 2 at 4.
        QTest::addRow("nothing hidden: every band")
            << QList<int>{} << "-0.3515625 7.5 2.380476 | -0.125 7.333333 2.886751";
        QTest::addRow("band 2 hidden: band 1 alone")
            << QList<int>{2} << "-0.34375 9.5 0.7071068 | -0.09375 9 0";
        QTest::addRow("band 1 hidden: a bin of one row left out")
            << QList<int>{1} << "-0.359375 5.5 0.7071068";
        QTest::addRow("both hidden: no bin") << QList<int>{1, 2} << "";
        QTest::addRow("a band no row has")
            << QList<int>{7} << "-0.3515625 7.5 2.380476 | -0.125 7.333333 2.886751";
    }

    // Guards that the means follow the bands shown, from memory and by the queries.
    void hiddenBands() {
        QFETCH(QList<int>, hidden);
        QFETCH(QString, expected);
        TestContext t;
        t.folder.store.execute(
            "INSERT INTO Obs (JD, Mag, Faint, Phas, PunktFarb) VALUES (1, 9, '', -0.375, 1), "
            "(2, 10, '', -0.3125, 1), (3, 5, '', -0.4375, 2), (4, 6, '', -0.28125, 2), "
            "(5, 9, '', -0.125, 1), (6, 9, '', -0.0625, 1), (7, 4, '', -0.1875, 2); "
            "UPDATE Obs SET Band = 'c' || PunktFarb");
        for (int c : hidden)
            setBandShown(t.folder.state, QStringLiteral("c%1").arg(c), false);
        Pacer pacer(t.platform, {});
        const BinEdges bins = binEdges(0.25f, false);
        QVERIFY(t.folder.store.phaseColumns().has_value());
        QCOMPARE(describe(LoadBins(t.folder.store, bins, pacer, t.folder.state)), expected);
        QCOMPARE(describe(binsByQuery(t.folder.store, bins, pacer, t.folder.state)), expected);
    }

    void asQueried_data() {
        QTest::addColumn<float>("width");
        QTest::addColumn<bool>("two");
        QTest::addColumn<int>("seed");
        QTest::addRow("0.10 one cycle") << 0.1f << false << 1;
        QTest::addRow("0.07 one cycle") << 0.07f << false << 2;
        QTest::addRow("0.10 two cycles") << 0.1f << true << 3;
        QTest::addRow("0.3 two cycles") << 0.3f << true << 4;
        QTest::addRow("0.02 one cycle, sparse bins") << 0.02f << false << 5;
    }

    // Guards that the table from memory is the one the queries give, equal
    // phases (whole days at period 4) summed in the query's order included.
    void asQueried() {
        QFETCH(float, width);
        QFETCH(bool, two);
        QFETCH(int, seed);
        TestContext t;
        QRandomGenerator rng{quint32(seed)};
        QString rows;
        for (int i = 0; i < 400; ++i) {
            const double jd = i % 3 ? 2450000 + rng.bounded(60.0) : 2450000 + rng.bounded(60);
            rows += QString("%1(%2, %3, '%4')")
                        .arg(i ? ", " : "")
                        .arg(jd, 0, 'f', 5)
                        .arg(8 + rng.bounded(40) / 8.0)
                        .arg(i % 11 ? "" : "<");
        }
        t.folder.store.execute("INSERT INTO Obs (JD, Mag, Faint) VALUES " + rows);
        ProjectState& s = t.folder.state;
        s.JDFrom = 2450000;
        s.JDTo = 2450060;
        s.Period = 4;
        s.TwoCycles = two;
        s.MinMag = 8;
        s.MaxMag = 13;
        RecordingPlotView view;
        Scaler(t.ctx, view);
        Plotter(t.ctx, view);
        QVERIFY(t.folder.store.phaseColumns().has_value());
        Pacer pacer(t.platform, {});
        const BinEdges bins = binEdges(width, two);
        const BinTable fromMemory = LoadBins(t.folder.store, bins, pacer, s);
        QCOMPARE(describe(fromMemory), describe(binsByQuery(t.folder.store, bins, pacer, s)));
        QVERIFY(!fromMemory.phase.empty());
    }

    void overlay_data() {
        QTest::addColumn<int>("errorBar");
        QTest::addColumn<QString>("bar");
        QTest::addRow("1: no length") << 1 << "0";
        QTest::addRow("2: one deviation") << 2 << "1";
        QTest::addRow("3: the same as 2") << 3 << "1";
        QTest::addRow("4: two deviations") << 4 << "2";
    }

    // Guards the drawing: red curve, white bars of errorBar \ 2 deviations, and
    // the bin that did not qualify with the lines to and from it in black.
    void overlay() {
        QFETCH(int, errorBar);
        QFETCH(QString, bar);
        Canvas c(400, 300);
        c.setCoords(-0.5, 7, 0.5, 14);
        c.setRecording(true);
        const BinTable t{{-0.25f, 0, 0.25f}, {10, 0, 11}, {0.5f, 0, 0.25f}};
        QCOMPARE(BinPlotter(c, t, std::int16_t(errorBar)), BinPlot::Drawn);
        const int k = bar.toInt();
        const auto y = [](float v) { return fmt::general(v); };
        const QStringList expected = {
            "circle -0.25 10 red fill red",
            "line -0.25 10 -0.25 " + y(10 - k * 0.5f) + " white w2",
            "line -0.25 10 -0.25 " + y(10 + k * 0.5f) + " white w2",
            "line -0.25 10 -0.25 10 red w2",
            "circle 0 0 black fill red",
            "line 0 0 0 0 white w2",
            "line 0 0 0 0 white w2",
            "line -0.25 10 0 0 black w2",
            "circle 0.25 11 black fill red",
            "line 0.25 11 0.25 " + y(11 - k * 0.25f) + " white w2",
            "line 0.25 11 0.25 " + y(11 + k * 0.25f) + " white w2",
            "line 0 0 0.25 11 black w2",
        };
        QStringList drawn;
        for (const Canvas::Op& op : c.ops())
            drawn << describe(op);
        QCOMPARE(drawn, expected);
        QCOMPARE(c.lineWidth(), 1);
    }

    void nothingDrawn_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<BinPlot>("result");
        QTest::addRow("empty table") << 0 << BinPlot::Empty;
        QTest::addRow("single bin") << 1 << BinPlot::Single;
    }

    void nothingDrawn() {
        QFETCH(int, size);
        QFETCH(BinPlot, result);
        Canvas c(100, 100);
        c.setCoords(-0.5, 7, 0.5, 14);
        c.setRecording(true);
        const BinTable t{std::vector<float>(std::size_t(size), 0.1f),
                         std::vector<float>(std::size_t(size), 9.0f),
                         std::vector<float>(std::size_t(size), 0.1f)};
        QCOMPARE(BinPlotter(c, t, 2), result);
        QCOMPARE(c.ops().size(), std::size_t(0));
    }
};

QTEST_MAIN(TestBins)
#include "tst_bins.moc"
