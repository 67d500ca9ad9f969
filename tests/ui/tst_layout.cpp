// Every window laid out as a user meets it: nothing cut, nothing covered, the
// main window on the screen. Run twice by ctest: at scale factor 1, and at 2 on
// a 1280 x 1024 screen (tst_layout_scale2), where the design size does not fit.
#include "ui/AppSession.h"
#include "ui/LayoutCheck.h"
#include "ui/main/MainLayout.h"
#include "ui/search/FrmSearch.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

using namespace varilume;
using varilume::test::layoutFaults;
using varilume::test::Session;

namespace {

QString listed(const QStringList& faults) {
    return faults.join(QStringLiteral("\n"));
}

// The client size the window is designed for, in pixels.
QSize designClient() {
    return QSize(qRound((kDesignOuterWidth - kFrameWidth) / kTwipsPerPixel),
                 qRound((kDesignOuterHeight - kFrameHeight) / kTwipsPerPixel));
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    // Guards the first placement: inside the screen's available area (at a
    // scale factor of 2 the design size is larger than a 1280 x 1024 screen),
    // and at the design size whenever that fits.
    void opensOnScreen() {
        Session t;
        const QRect available = t.w().screen()->availableGeometry();
        const QRect frame = t.w().frameGeometry();
        QVERIFY2(available.contains(frame),
                 qPrintable(QStringLiteral("window %1,%2 %3x%4 on screen %5,%6 %7x%8")
                                .arg(frame.x())
                                .arg(frame.y())
                                .arg(frame.width())
                                .arg(frame.height())
                                .arg(available.x())
                                .arg(available.y())
                                .arg(available.width())
                                .arg(available.height())));
        const QSize design = designClient() + QSize(0, t.w().menuBar()->sizeHint().height()) +
                             (frame.size() - t.w().size());
        if (available.width() >= design.width() && available.height() >= design.height())
            QCOMPARE(t.w().centralWidget()->size(), designClient());
        QVERIFY(t.w().size().width() >= t.w().minimumWidth());
    }

    // Guards the main window at its opening size and at its minimum size, on
    // the start screen and with a plot: every caption whole, nothing covered.
    void mainWindowClean_data() {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<bool>("minimum");
        QTest::addRow("start screen, opening size") << false << false;
        QTest::addRow("start screen, minimum size") << false << true;
        QTest::addRow("plot, opening size") << true << false;
        QTest::addRow("plot, minimum size") << true << true;
    }
    void mainWindowClean() {
        QFETCH(bool, loaded);
        QFETCH(bool, minimum);
        Session t;
        if (loaded)
            t.load();
        if (minimum) {
            t.w().resize(1, 1); // held at the minimum size
            QCOMPARE(t.w().size(), t.w().minimumSize());
        }
        const QStringList faults = layoutFaults(t.w());
        const QSize client = t.w().centralWidget()->size();
        QVERIFY2(
            faults.isEmpty(),
            qPrintable(QStringLiteral("client %1x%2:\n").arg(client.width()).arg(client.height()) +
                       listed(faults)));
        // The status bar ends with the client area.
        const QWidget* bar = t.child<QWidget>("staPlot");
        QCOMPARE(bar->geometry().bottom(), t.w().centralWidget()->height() - 1);
    }

    // Guards the preview window and the about box: every text whole, none covering another.
    void dialogsClean() {
        Session t;
        QStringList preview;
        t.loadOrbis(t.orbis, [&](QDialog& d) { preview = layoutFaults(d); });
        QVERIFY2(preview.isEmpty(), qPrintable(listed(preview)));

        QStringList about;
        t.platform.dialogScripts.push_back([&](QDialog& d) { about = layoutFaults(d); });
        t.app->about();
        QCOMPARE(t.platform.dialogsShown.back(), QStringLiteral("frmAbout"));
        QVERIFY2(about.isEmpty(), qPrintable(listed(about)));
    }

    // Guards the period search window, before and after a search: every text
    // whole, none covering another.
    void searchWindowClean() {
        Session t;
        t.load();
        t.w().mnuSearch();
        FrmSearch& search = *t.w().searchWindow();
        QTest::qWait(300); // the settings are planned a moment after they change
        QStringList before = layoutFaults(search);
        QVERIFY2(before.isEmpty(), qPrintable(listed(before)));
        search.cmdSearch();
        search.waitForRun();
        QApplication::processEvents(); // the layout follows the new texts, as on screen
        QStringList after = layoutFaults(search);
        QVERIFY2(after.isEmpty(), qPrintable(listed(after)));
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
