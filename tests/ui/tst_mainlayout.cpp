#include "ui/main/MainLayout.h"
#include "ui/main/PeriodSteps.h"

#include <QTest>
#include <limits>

using namespace varilume;

class TestMainLayout : public QObject {
    Q_OBJECT
private slots:
    // Guards the resize arithmetic on the outer size.
    void layout_data() {
        QTest::addColumn<float>("W");
        QTest::addColumn<float>("H");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<float>("viewWidth");
        QTest::addColumn<float>("viewHeight");
        QTest::addColumn<float>("actionTop");
        QTest::addColumn<float>("statusTop");
        QTest::addColumn<float>("magLeft");
        QTest::addRow("design size")
            << 11250.f << 8250.f << true << 10215.f << 5295.f << 6240.f << 7305.f << 10565.f;
        QTest::addRow("larger") << 15000.f << 10000.f << true << 13965.f << 7045.f << 7990.f
                                << 9055.f << 14315.f;
        QTest::addRow("exactly the margins")
            << 1035.f << 2955.f << true << 0.f << 0.f << 945.f << 2010.f << 350.f;
        QTest::addRow("too narrow") << 1020.f << 8250.f << false << 0.f << 0.f << 0.f << 0.f << 0.f;
        QTest::addRow("too low") << 11250.f << 2940.f << false << 0.f << 0.f << 0.f << 0.f << 0.f;
    }
    void layout() {
        QFETCH(float, W);
        QFETCH(float, H);
        QFETCH(bool, fits);
        const auto l = layoutMainWindow(MainLayout{}, W, H, false);
        QCOMPARE(l.has_value(), fits);
        if (!fits)
            return;
        QFETCH(float, viewWidth);
        QFETCH(float, viewHeight);
        QFETCH(float, actionTop);
        QFETCH(float, statusTop);
        QFETCH(float, magLeft);
        QCOMPARE(l->picView.width, viewWidth);
        QCOMPARE(l->picView.height, viewHeight);
        QCOMPARE(l->picJDScale.width, viewWidth);
        QCOMPARE(l->lblStarName.width, viewWidth);
        QCOMPARE(l->picMagScale.height, viewHeight);
        QCOMPARE(l->picMagScale.left, magLeft);
        QCOMPARE(l->fraAction.top, actionTop);
        QCOMPARE(l->staPlot.top, statusTop);
        QCOMPARE(l->fraAction.left, W / 2 - 10575.f / 2);
        QCOMPARE(l->cmdLoad.top, H * 0.48f);
        QCOMPARE(l->cmdLoadXYZ.top, H * 0.48f + 570);
        QCOMPARE(l->fraUrCycles.top, H * 0.48f + 1500);
        QCOMPARE(l->picORBIS.top, H / 2 - 1545.f / 0.8f);
        QCOMPARE(l->lblCopyright.top, H - 1300);
        QCOMPARE(l->prgLoad.top, H - 2625);
        QCOMPARE(l->lblPrg.top, H - 2865);
    }

    // Guards a minimised window: the places stay as they were.
    void minimisedKeepsLayout() {
        MainLayout current = *layoutMainWindow(MainLayout{}, 14000, 9000, false);
        const auto l = layoutMainWindow(current, 100, 100, true);
        QVERIFY(l.has_value());
        QCOMPARE(l->picView.width, current.picView.width);
        QCOMPARE(l->fraAction.top, current.fraAction.top);
    }

    // Guards the period steps, their bounds, and the refused ones: an increment
    // that is not a finite positive number, or a step out of the finite range
    // (the period would stay at infinity for good).
    void steps_data() {
        QTest::addColumn<float>("period");
        QTest::addColumn<float>("increment");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<bool>("up");
        QTest::addColumn<float>("expected");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refused");
        const float inf = std::numeric_limits<float>::infinity();
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const QString bad = "is not a positive number of days";
        QTest::addRow("below zero becomes one") << 0.5f << 1.f << false << false << 1.f << " 1"
                                                << "";
        QTest::addRow("exactly zero stays") << 1.f << 1.f << false << false << 0.f << " 0"
                                            << "";
        QTest::addRow("ctrl steps ten down") << 200.f << 0.5f << true << false << 195.f << " 195"
                                             << "";
        QTest::addRow("plain up") << 200.f << 0.1f << false << true << 200.1f << " 200.1"
                                  << "";
        QTest::addRow("fraction shown without zero")
            << 0.75f << 0.25f << false << false << 0.5f << " .5"
            << "";
        QTest::addRow("large but finite up") << 1e6f << 1e6f << false << true << 2e6f << " 2000000"
                                             << "";
        QTest::addRow("negative increment up refused")
            << 200.f << -5.f << false << true << 200.f << " 200" << bad;
        QTest::addRow("negative increment down refused")
            << 200.f << -5.f << false << false << 200.f << " 200" << bad;
        QTest::addRow("zero increment refused")
            << 200.f << 0.f << false << true << 200.f << " 200" << bad;
        QTest::addRow("NaN increment refused")
            << 200.f << nan << false << true << 200.f << " 200" << bad;
        QTest::addRow("infinite increment refused")
            << 200.f << inf << false << false << 200.f << " 200" << bad;
        QTest::addRow("ten huge increments overflow, refused")
            << 200.f << 1e38f << true << true << 200.f << " 200"
            << "beyond any number";
        QTest::addRow("step to infinity refused")
            << 3e38f << 3e38f << false << true << 3e38f << " 3E+38"
            << "beyond any number";
    }
    void steps() {
        QFETCH(float, period);
        QFETCH(float, increment);
        QFETCH(bool, ctrl);
        QFETCH(bool, up);
        QFETCH(float, expected);
        QFETCH(QString, text);
        QFETCH(QString, refused);
        const PeriodStep p =
            up ? stepPeriodUp(period, increment, ctrl) : stepPeriodDown(period, increment, ctrl);
        QCOMPARE(p.period, expected);
        QCOMPARE(periodText(p.period), text);
        QVERIFY2(refused.isEmpty() ? p.refused.isEmpty() : p.refused.contains(refused),
                 qPrintable(p.refused));
        if (!refused.isEmpty())
            QVERIFY2(p.refused.endsWith(" The period stays at" + text + " days."),
                     qPrintable(p.refused));
    }

    // Guards the typed period: blanks allowed, negatives become one, words refused.
    void typed_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<float>("period");
        QTest::addRow("blanks around") << "  37.5 " << true << 37.5f;
        QTest::addRow("negative") << "-3" << true << 1.f;
        QTest::addRow("word") << "abc" << false << 0.f;
        QTest::addRow("trailing plus") << " 201+" << false << 0.f;
        QTest::addRow("beyond a float") << "1e60" << false << 0.f;
    }
    void typed() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(float, period);
        const auto p = typedPeriod(text);
        QCOMPARE(p.has_value(), valid);
        if (valid)
            QCOMPARE(*p, period);
    }

    // Guards the magnification report: whole range over the plotted window.
    void magnification_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<QString>("text");
        QTest::addRow("whole data") << 2450000.0 << 2452000.0 << "Magnification = 1.0 X";
        QTest::addRow("half") << 2451000.0 << 2452000.0 << "Magnification = 2.0 X";
        QTest::addRow("empty window") << 2452000.0 << 2452000.0 << "Magnification = 1.0 X";
    }
    void magnification() {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(QString, text);
        QCOMPARE(magnificationText(2450000.0, 2452000.0, from, to), text);
    }
};

QTEST_GUILESS_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
