#include "import/Extremes.h"
#include "support/FakeViews.h"
#include "support/TestContext.h"

#include <QTest>

using namespace varilume;
using varilume::test::RecordingPlotView;
using varilume::test::TestContext;

namespace {

// FindExtremes hands the window its range labels, or HidePlot when the table is empty.
struct Fixture : TestContext {
    RecordingPlotView view;
};

struct Row {
    QString jd, mag, faint;
};

void appendRows(ObsStore& store, const QList<Row>& rows) {
    store.beginAppend();
    for (const Row& r : rows) {
        ObsRecord rec;
        rec.Star = QStringLiteral("RR LYR");
        rec.JD = r.jd;
        rec.Mag = r.mag;
        rec.Faint = r.faint;
        rec.PunktFarb = 65280;
        store.append(rec);
    }
    store.commitAppend();
}

} // namespace

Q_DECLARE_METATYPE(QList<Row>)

class TestExtremes : public QObject {
    Q_OBJECT

private slots:
    void ranges_data();
    void ranges();
    void midJDFollowsTheWindow();
    void emptyTableSaysNoObservations();
};

void TestExtremes::ranges_data() {
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<float>("minMag");
    QTest::addColumn<float>("maxMag");
    QTest::addColumn<double>("minJD");
    QTest::addColumn<double>("maxJD");
    QTest::addColumn<QStringList>("labels");

    QTest::addRow("one observation widens every range")
        << QList<Row>{{"2450000.5", "10", ""}} << 9.0f << 11.0f << 2449900.5 << 2450100.5
        << QStringList{"Min JD= 2449900.5", "Max JD= 2450100.5", "Min Mag = 9", "Max Mag = 11"};
    QTest::addRow("two equal magnitudes are not widened")
        << QList<Row>{{"2450001.5", "10", ""}, {"2450000.5", "10", ""}} << 10.0f << 10.0f
        << 2450000.5 << 2450001.5
        << QStringList{"Min JD= 2450000.5", "Max JD= 2450001.5", "Min Mag = 10", "Max Mag = 10"};
    QTest::addRow("fainter-than estimates take part")
        << QList<Row>{{"2450003.25", "11.3", ""},
                      {"2450000.75", "12.8", "<"},
                      {"2450001.5", "7.3", ""},
                      {"2450009.125", "14.2", "<"}}
        << 7.3f << 14.2f << 2450000.75 << 2450009.125
        << QStringList{"Min JD= 2450000.75", "Max JD= 2450009.125", "Min Mag = 7.3",
                       "Max Mag = 14.2"};
}

// Guards the ranges over all rows, the single-observation widening and the label texts.
void TestExtremes::ranges() {
    QFETCH(QList<Row>, rows);
    QFETCH(float, minMag);
    QFETCH(float, maxMag);
    QFETCH(double, minJD);
    QFETCH(double, maxJD);
    QFETCH(QStringList, labels);

    Fixture f;
    appendRows(f.folder.store, rows);
    FindExtremes(f.ctx, f.view);

    const ProjectState& s = f.folder.state;
    QCOMPARE(s.MinMag, minMag);
    QCOMPARE(s.MaxMag, maxMag);
    QCOMPARE(s.MinJD, minJD);
    QCOMPARE(s.MaxJD, maxJD);
    QCOMPARE(f.view.rangeLabels, labels);
    QVERIFY2(f.platform.messages.empty(), qPrintable(f.platform.transcript()));
    QCOMPARE(s.LoadOK, true);
}

// Guards that the phase epoch is the middle of the plotted window, not of the data.
void TestExtremes::midJDFollowsTheWindow() {
    Fixture f;
    appendRows(f.folder.store, {{"2450000.5", "10", ""}, {"2450100.5", "11", ""}});
    f.folder.state.JDFrom = 2450010.0;
    f.folder.state.JDTo = 2450030.5;
    FindExtremes(f.ctx, f.view);
    QCOMPARE(f.folder.state.MidJD, 2450020.25);
}

// Guards the empty table: the "No Observations" box names the star, LoadOK turns
// false, the plot area is hidden and the earlier ranges stay.
void TestExtremes::emptyTableSaysNoObservations() {
    Fixture f;
    ProjectState& s = f.folder.state;
    s.StarName = QStringLiteral("RR LYR");
    s.MinMag = 7.5f;
    s.MaxMag = 9.25f;
    s.MinJD = 2450000.5;
    s.MaxJD = 2450100.5;
    FindExtremes(f.ctx, f.view);

    QCOMPARE(f.platform.messages.size(), std::size_t(1));
    const auto& m = f.platform.messages.front();
    QCOMPARE(m.text, QStringLiteral("No observations of RR LYR in this JD interval."));
    QCOMPARE(m.title, QStringLiteral("No Observations"));
    QCOMPARE(m.buttons, Buttons::Ok);
    QCOMPARE(m.icon, Icon::None);
    QCOMPARE(s.LoadOK, false);
    QCOMPARE(f.view.hidePlotCalls, 1);
    QCOMPARE(s.MinMag, 7.5f);
    QCOMPARE(s.MaxMag, 9.25f);
    QCOMPARE(s.MinJD, 2450000.5);
    QCOMPARE(s.MaxJD, 2450100.5);
    QVERIFY(f.view.rangeLabels.isEmpty());
}

QTEST_MAIN(TestExtremes)
#include "tst_extremes.moc"
