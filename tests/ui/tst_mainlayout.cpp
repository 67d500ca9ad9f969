#include "ui/main/MainLayout.h"
#include "ui/main/PeriodSteps.h"

#include <QList>
#include <QTest>
#include <algorithm>
#include <limits>
#include <utility>

using namespace varilume;

namespace {

struct Group {
    QString name;
    QList<std::pair<QString, TwipRect>> controls;
};

bool inside(const TwipRect& r, const TwipRect& area) {
    return r.left >= area.left && r.top >= area.top && r.left + r.width <= area.left + area.width &&
           r.top + r.height <= area.top + area.height;
}

// The design lets neighbours share one pixel (15 twips), as the star name
// and the date scale do.
bool overlap(const TwipRect& a, const TwipRect& b) {
    const float across = std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
    const float down = std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
    return across > kTwipsPerPixel && down > kTwipsPerPixel;
}

} // namespace

class TestMainLayout : public QObject {
    Q_OBJECT
private slots:
    // Guards the resize on the outer size W x H (twips): every control of each
    // screen inside the client area and clear of the others shown with it, the
    // plot taking all the growth, and the design's plot size at the design size.
    void layout_data() {
        QTest::addColumn<float>("W");
        QTest::addColumn<float>("H");
        QTest::addRow("design size") << kDesignOuterWidth << kDesignOuterHeight;
        QTest::addRow("larger") << 15000.f << 10000.f;
        QTest::addRow("lowest the window allows") << kDesignOuterWidth << 6450.f;
        QTest::addRow("a large screen") << 38000.f << 22000.f;
    }
    void layout() {
        QFETCH(float, W);
        QFETCH(float, H);
        const auto l = layoutMainWindow(MainLayout{}, W, H, false);
        QVERIFY(l.has_value());
        const TwipRect client{0, 0, W - kFrameWidth, H - kFrameHeight};
        const QList<Group> screens = {
            {"plot",
             {{"lblStarName", l->lblStarName},
              {"picJDScale", l->picJDScale},
              {"picView", l->picView},
              {"picMagScale", l->picMagScale},
              {"fraAction", l->fraAction}}},
            {"start",
             {{"Label1", l->Label1},
              {"Label2", l->Label2},
              {"picORBIS", l->picORBIS},
              {"cmdLoad", l->cmdLoad},
              {"cmdLoadXYZ", l->cmdLoadXYZ},
              {"fraUrCycles", l->fraUrCycles},
              {"lblCopyright", l->lblCopyright}}},
            {"loading",
             {{"Label1", l->Label1},
              {"Label2", l->Label2},
              {"picORBIS", l->picORBIS},
              {"lblPrg", l->lblPrg},
              {"prgLoad", l->prgLoad},
              {"lblCopyright", l->lblCopyright}}},
        };
        for (const Group& screen : screens) {
            for (qsizetype i = 0; i < screen.controls.size(); ++i) {
                const auto& [name, r] = screen.controls[i];
                QVERIFY2(inside(r, client), qPrintable(screen.name + ": " + name + " outside"));
                for (qsizetype j = i + 1; j < screen.controls.size(); ++j)
                    QVERIFY2(!overlap(r, screen.controls[j].second),
                             qPrintable(screen.name + ": " + name + " overlaps " +
                                        screen.controls[j].first));
            }
        }
        // The plot and its scales take all the growth; the margins stay.
        const MainLayout design =
            *layoutMainWindow(MainLayout{}, kDesignOuterWidth, kDesignOuterHeight, false);
        QCOMPARE(l->picView.width - design.picView.width, W - kDesignOuterWidth);
        QCOMPARE(l->picView.height - design.picView.height, H - kDesignOuterHeight);
        QCOMPARE(l->picJDScale.width, l->picView.width);
        QCOMPARE(l->picMagScale.height, l->picView.height);
        QCOMPARE(l->picMagScale.left - design.picMagScale.left, W - kDesignOuterWidth);
        if (W == kDesignOuterWidth && H == kDesignOuterHeight) {
            QCOMPARE(l->picView.width, 10215.f);
            QCOMPARE(l->picView.height, 5295.f);
        }
    }

    // Guards the sizes too small for the fixed margins: no layout (the window
    // snaps back), where a width or height would turn negative.
    void tooSmall_data() {
        QTest::addColumn<float>("W");
        QTest::addColumn<float>("H");
        QTest::addColumn<bool>("fits");
        QTest::addRow("exactly the margins") << 1035.f << 2955.f << true;
        QTest::addRow("too narrow") << 1020.f << 8250.f << false;
        QTest::addRow("too low") << 11250.f << 2940.f << false;
    }
    void tooSmall() {
        QFETCH(float, W);
        QFETCH(float, H);
        QFETCH(bool, fits);
        QCOMPARE(layoutMainWindow(MainLayout{}, W, H, false).has_value(), fits);
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
