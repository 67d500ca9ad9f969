#include "import/Extremes.h"
#include "support/TestContext.h"

#include <QTest>

using namespace varilume;
using namespace varilume::test;

namespace {

// The rows as SQL values (JD, Mag, Faint), the ranges FindExtremes leaves and
// the labels it gives (none when it found nothing).
struct Case {
    QString rows;
    float minMag, maxMag;
    double minJD, maxJD;
    QStringList labels;
};

} // namespace

class TestExtremes : public QObject {
    Q_OBJECT

private slots:
    void ranges_data();
    void ranges();
};

void TestExtremes::ranges_data() {
    QTest::addColumn<Case>("c");

    QTest::addRow("one observation widens every range")
        << Case("(2450000.5, 10, '')", 9, 11, 2449900.5, 2450100.5,
                {"Min JD= 2449900.5", "Max JD= 2450100.5", "Min Mag = 9", "Max Mag = 11"});
    QTest::addRow("two equal magnitudes are not widened")
        << Case("(2450001.5, 10, ''), (2450000.5, 10, '')", 10, 10, 2450000.5, 2450001.5,
                {"Min JD= 2450000.5", "Max JD= 2450001.5", "Min Mag = 10", "Max Mag = 10"});
    QTest::addRow("fainter-than estimates take part") << Case(
        "(2450003.25, 7.3, ''), (2450000.75, 12.8, '<')", 7.3f, 12.8f, 2450000.75, 2450003.25,
        {"Min JD= 2450000.75", "Max JD= 2450003.25", "Min Mag = 7.3", "Max Mag = 12.8"});
    QTest::addRow("empty table keeps the earlier ranges")
        << Case("", 7.5f, 9.25f, 2450000.5, 2450100.5, {});
}

// Guards the ranges over all rows, the single-observation widening, the label texts
// and the epoch in the middle of the plotted window; and for an empty table that
// it says so, showing nothing, and keeps the earlier ranges.
void TestExtremes::ranges() {
    QFETCH(Case, c);

    TestContext t;
    ProjectState& s = t.folder.state;
    s.StarName = QStringLiteral("RR LYR");
    s.MinMag = 7.5f;
    s.MaxMag = 9.25f;
    s.MinJD = 2450000.5;
    s.MaxJD = 2450100.5;
    s.JDFrom = 2450010.0;
    s.JDTo = 2450030.5;
    if (!c.rows.isEmpty())
        t.folder.store.execute("INSERT INTO Obs (JD, Mag, Faint) VALUES " + c.rows);
    const ExtremesResult r = FindExtremes(s, t.folder.store);

    QCOMPARE(r.status, c.rows.isEmpty() ? ExtremesResult::Status::NoObservations
                                        : ExtremesResult::Status::Found);
    QCOMPARE(s.MinMag, c.minMag);
    QCOMPARE(s.MaxMag, c.maxMag);
    QCOMPARE(s.MinJD, c.minJD);
    QCOMPARE(s.MaxJD, c.maxJD);
    const QStringList labels =
        r.found() ? QStringList{r.minJD, r.maxJD, r.minMag, r.maxMag} : QStringList{};
    QCOMPARE(labels, c.labels);
    QVERIFY(t.platform.messages.empty()); // the window decides what to show
}

QTEST_MAIN(TestExtremes)
#include "tst_extremes.moc"
