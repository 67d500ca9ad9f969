// The preview's click pairs: period estimate, two-click zoom, the wrong number
// of clicks, leftover positions, and the slider's JD window.
#include "preview/ClickPairs.h"
#include "store/State.h"

#include <QTest>

using namespace varilume;

namespace {

// Data from JD 2450000 to 2452000, whole window shown.
ProjectState loadedState() {
    ProjectState s;
    s.MinJD = 2450000;
    s.MaxJD = 2452000;
    s.JDFrom = s.MinJD;
    s.JDTo = s.MaxJD;
    s.MinMag = 9;
    s.MaxMag = 12;
    return s;
}

// Clicks at 2451000 and 2451030: a pair complete, its estimate made.
ClickPairs pairClicked(ProjectState& s) {
    ClickPairs clicks;
    clicks.click(s, 2451000);
    clicks.click(s, 2451030);
    return clicks;
}

} // namespace

class TestClickPairs : public QObject {
    Q_OBJECT

private slots:
    // Guards the estimate: the JD distance of the two clicks, window untouched,
    // and no quantising of the JDs to singles.
    void estimateFromTwoClicks_data();
    void estimateFromTwoClicks();
    // Guards the zoom: the window runs from the smaller to the larger click.
    void zoomInEitherOrder_data();
    void zoomInEitherOrder();
    // Guards the third click: wrong number, then positions and count cleared.
    void thirdClickIsWrongNumber();
    // Guards the leftover position: after a refresh one click completes a pair.
    void leftoverPositionCompletesPair();
    // Guards the Zoom command: it forgets the positions of the earlier pair.
    void zoomCommandNeedsTwoNewClicks();
    // Guards clicks during a plot: ignored without any change.
    void clicksIgnoredWhilePlotting();
    // Guards the slider: the window ends at MaxJD and reaches back the share.
    void sliderWindow_data();
    void sliderWindow();
    // Guards the line colours: light cyan in zoom mode, grey otherwise.
    void clickLineColour();
};

void TestClickPairs::estimateFromTwoClicks_data() {
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("second");
    QTest::addColumn<float>("period");

    QTest::addRow("37.5 days apart") << 2451000.25 << 2451037.75 << 37.5f;
    QTest::addRow("backwards") << 2451037.75 << 2451000.25 << 37.5f;
    QTest::addRow("short period, finer than a quarter day")
        << 2451000.1 << 2451000.35 << static_cast<float>(2451000.35 - 2451000.1);
}

void TestClickPairs::estimateFromTwoClicks() {
    QFETCH(double, first);
    QFETCH(double, second);
    QFETCH(float, period);

    ProjectState s = loadedState();
    ClickPairs clicks;

    QCOMPARE(clicks.click(s, first), ClickOutcome::None);
    QCOMPARE(clicks.click(s, second), ClickOutcome::Estimate);
    QCOMPARE(s.Period, period);
    QCOMPARE(s.JDFrom, 2450000.0);
    QCOMPARE(s.JDTo, 2452000.0);
    QCOMPARE(clicks.clickCount(), 2);
}

void TestClickPairs::zoomInEitherOrder_data() {
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("second");

    QTest::addRow("left then right") << 2450500.5 << 2451200.25;
    QTest::addRow("right then left") << 2451200.25 << 2450500.5;
}

void TestClickPairs::zoomInEitherOrder() {
    QFETCH(double, first);
    QFETCH(double, second);

    ProjectState s = loadedState();
    s.Period = 123;
    ClickPairs clicks;
    clicks.zoom(s);
    QCOMPARE(s.ZoomMode, true);

    QCOMPARE(clicks.click(s, first), ClickOutcome::None);
    QCOMPARE(clicks.click(s, second), ClickOutcome::Zoom);
    QCOMPARE(s.JDFrom, 2450500.5);
    QCOMPARE(s.JDTo, 2451200.25);
    QCOMPARE(s.ZoomMode, false);
    QCOMPARE(clicks.clickCount(), 0);
    QCOMPARE(s.Period, 123.0f);
}

void TestClickPairs::thirdClickIsWrongNumber() {
    ProjectState s = loadedState();
    ClickPairs clicks = pairClicked(s);

    QCOMPARE(clicks.click(s, 2451060), ClickOutcome::WrongNumber);
    clicks.afterWrongNumber();
    QCOMPARE(clicks.clickJD1(), 0.0);
    QCOMPARE(clicks.clickJD2(), 0.0);
    QCOMPARE(clicks.clickCount(), 0);

    // A fresh pair is needed afterwards.
    QCOMPARE(clicks.click(s, 2451100), ClickOutcome::None);
    QCOMPARE(clicks.click(s, 2451110), ClickOutcome::Estimate);
    QCOMPARE(s.Period, 10.0f);
}

void TestClickPairs::leftoverPositionCompletesPair() {
    ProjectState s = loadedState();
    ClickPairs clicks = pairClicked(s);
    clicks.refresh(s);

    // The new click takes the first position; the second is left over.
    QCOMPARE(clicks.click(s, 2451010), ClickOutcome::Estimate);
    QCOMPARE(s.Period, 20.0f);
    QCOMPARE(clicks.secondClickNext(), true);
}

void TestClickPairs::zoomCommandNeedsTwoNewClicks() {
    ProjectState s = loadedState();
    ClickPairs clicks = pairClicked(s);
    clicks.zoom(s);

    QCOMPARE(clicks.click(s, 2451500), ClickOutcome::None);
    QCOMPARE(clicks.click(s, 2451700), ClickOutcome::Zoom);
    QCOMPARE(s.JDFrom, 2451500.0);
    QCOMPARE(s.JDTo, 2451700.0);
}

void TestClickPairs::clicksIgnoredWhilePlotting() {
    ProjectState s = loadedState();
    s.Plotting = true;
    ClickPairs clicks;

    QCOMPARE(clicks.click(s, 2451000), ClickOutcome::None);
    QCOMPARE(clicks.clickCount(), 0);
    QCOMPARE(clicks.clickJD1(), 0.0);
    QCOMPARE(clicks.secondClickNext(), false);
}

void TestClickPairs::sliderWindow_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<double>("from");

    QTest::addRow("100: all data") << 100 << 2450000.0;
    QTest::addRow("50: the later half") << 50 << 2451000.0;
    QTest::addRow("0: only the last date") << 0 << 2452000.0;
}

void TestClickPairs::sliderWindow() {
    QFETCH(int, percent);
    QFETCH(double, from);

    ProjectState s = loadedState();
    ClickPairs clicks;
    clicks.click(s, 2451000);
    clicks.slider(s, percent);

    QCOMPARE(s.JDFrom, from);
    QCOMPARE(s.JDTo, 2452000.0);
    QCOMPARE(clicks.clickCount(), 0);
}

void TestClickPairs::clickLineColour() {
    ProjectState s = loadedState();
    QCOMPARE(ClickPairs::clickLineColor(s), 150 + 256 * 150 + 65536 * 150);
    s.ZoomMode = true;
    QCOMPARE(ClickPairs::clickLineColor(s), 128 + 256 * 255 + 65536 * 255);
}

QTEST_GUILESS_MAIN(TestClickPairs)
#include "tst_clickpairs.moc"
