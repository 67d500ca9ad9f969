// The preview's click pairs: period estimate, two-click zoom, the wrong number
// of clicks, leftover positions, and the slider's JD window.
#include "preview/ClickPairs.h"
#include "store/State.h"

#include <QTest>

using namespace varilume;

class TestClickPairs : public QObject {
    Q_OBJECT

private slots:
    void actions_data();
    void actions();
};

void TestClickPairs::actions_data() {
    QTest::addColumn<QString>("steps");
    // The outcomes of the clicks; then the window, Period, click count, both
    // positions, whether the second position is next, and zoom mode.
    QTest::addColumn<QString>("after");

    QTest::addRow("estimate 37.5")
        << "click 2451000.25, click 2451037.75"
        << "None Estimate; 2450000..2452000 P 37.5 n 2 at 2451000.25 2451037.75 2nd 0 Z 0";
    QTest::addRow("estimate backwards")
        << "click 2451037.75, click 2451000.25"
        << "None Estimate; 2450000..2452000 P 37.5 n 2 at 2451037.75 2451000.25 2nd 0 Z 0";
    QTest::addRow("estimate finer than a quarter day")
        << "click 2451000.1, click 2451000.2"
        << "None Estimate; 2450000..2452000 P 0.100000001 n 2 at 2451000.1 2451000.2 2nd 0 Z 0";
    QTest::addRow("zoom forgets the earlier pair, left then right")
        << "click 2451000, click 2451030, zoom, click 2450500.5, click 2451200.25"
        << "None Estimate None Zoom; 2450500.5..2451200.25 P 30 n 0 at 2450500.5 2451200.25 2nd 0 "
           "Z 0";
    QTest::addRow("zoom right then left")
        << "zoom, click 2451200.25, click 2450500.5"
        << "None Zoom; 2450500.5..2451200.25 P 200 n 0 at 2451200.25 2450500.5 2nd 0 Z 0";
    QTest::addRow("third click is the wrong number, all cleared")
        << "click 2451000, click 2451030, click 2451060, wrong number closed"
        << "None Estimate WrongNumber; 2450000..2452000 P 30 n 0 at 0 0 2nd 0 Z 0";
    QTest::addRow("after a wrong number a fresh pair is needed")
        << "click 2451000, click 2451030, click 2451060, wrong number closed, click 2451100, click "
           "2451110"
        << "None Estimate WrongNumber None Estimate; 2450000..2452000 P 10 n 2 at 2451100 2451110 "
           "2nd 0 Z 0";
    QTest::addRow("leftover position completes a pair after refresh")
        << "click 2451000, click 2451030, refresh, click 2451010"
        << "None Estimate Estimate; 2450000..2452000 P 20 n 1 at 2451010 2451030 2nd 1 Z 0";
    QTest::addRow("clicks ignored while plotting")
        << "plotting, click 2451000"
        << "None; 2450000..2452000 P 200 n 0 at 0 0 2nd 0 Z 0";
    QTest::addRow("slider at 50, the later half")
        << "click 2451000, slider 50"
        << "None; 2451000..2452000 P 200 n 0 at 2451000 0 2nd 1 Z 0";
    QTest::addRow("slider at 0, only the last date")
        << "click 2451000, slider 0"
        << "None; 2452000..2452000 P 200 n 0 at 2451000 0 2nd 1 Z 0";
}

// Guards the click pairs as the user meets them: the estimate is the JD distance of
// two clicks kept as doubles, the zoom window runs from the smaller to the larger
// click, a third click is the wrong number and clears everything, a leftover
// position completes a pair, clicks during a plot change nothing, and the slider
// window ends at MaxJD reaching back its share.
void TestClickPairs::actions() {
    QFETCH(QString, steps);
    QFETCH(QString, after);

    ProjectState s; // data from JD 2450000 to 2452000, all of it shown
    s.MinJD = s.JDFrom = 2450000;
    s.MaxJD = s.JDTo = 2452000;
    ClickPairs clicks;
    QStringList seen;
    for (const QString& step : steps.split(QStringLiteral(", "))) {
        const double at = step.section(u' ', -1).toDouble();
        if (step.startsWith(QStringLiteral("click")))
            seen << QStringList{"None", "Estimate", "Zoom",
                                "WrongNumber"}[int(clicks.click(s, at))];
        else if (step == QStringLiteral("zoom"))
            clicks.zoom(s);
        else if (step == QStringLiteral("refresh"))
            clicks.refresh(s);
        else if (step == QStringLiteral("wrong number closed"))
            clicks.afterWrongNumber();
        else if (step == QStringLiteral("plotting"))
            s.Plotting = true;
        else if (step.startsWith(QStringLiteral("slider")))
            clicks.slider(s, int(at));
        else
            QFAIL(qPrintable(step));
    }
    const QString state =
        seen.join(u' ') +
        QStringLiteral("; %1..%2 P %3 n %4 at %5 %6 2nd %7 Z %8")
            .arg(QString::number(s.JDFrom, 'g', 15), QString::number(s.JDTo, 'g', 15),
                 QString::number(s.Period, 'g', 9), QString::number(clicks.clickCount()),
                 QString::number(clicks.clickJD1(), 'g', 15),
                 QString::number(clicks.clickJD2(), 'g', 15))
            .arg(clicks.secondClickNext())
            .arg(s.ZoomMode);
    QCOMPARE(state, after);
}

QTEST_GUILESS_MAIN(TestClickPairs)
#include "tst_clickpairs.moc"
