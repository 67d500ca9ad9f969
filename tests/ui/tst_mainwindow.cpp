#include "app/Application.h"
#include "canvas/Canvas.h"
#include "plot/Phase.h"
#include "plot/Scales.h"
#include "support/Files.h"
#include "support/ScriptedPlatform.h"
#include "ui/AppSession.h"
#include "ui/preview/FrmPreview.h"
#include "ui/widgets/CanvasWidget.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace varilume;
using varilume::test::ScriptedPlatform;
using varilume::test::Session;
using varilume::test::writeFile;

namespace {

// Counts the events of one type that reach the watched object.
class EventWatch : public QObject {
public:
    EventWatch(QEvent::Type type, int* count) : type_(type), count_(count) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == type_)
            ++*count_;
        return false;
    }

private:
    QEvent::Type type_;
    int* count_;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // Guards the whole load: file dialog, preview, plot, captions and menus.
    void loadShowsPlot() {
        Session t;
        t.load();
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        QCOMPARE(t.platform.dialogsShown, std::vector<QString>{QStringLiteral("frmPreview")});
        QCOMPARE(t.platform.fileRequests[0].spec.initialFolder, t.dir.path());
        QCOMPARE(t.caption(), QStringLiteral("   RR LYR - (40 Points)"));
        QCOMPARE(t.s().PlotCaption, t.caption());
        QCOMPARE(t.w().statusPanel(1), QStringLiteral("File: ") + t.orbis);
        QCOMPARE(t.child<QLabel>("Label5")->text(), QStringLiteral("Min JD= 2450000"));
        QCOMPARE(t.child<QLabel>("Label6")->text(), QStringLiteral("Min Mag = 9"));
        QVERIFY(t.child<QAction>("mnuClear")->isEnabled());
        QVERIFY(t.child<CanvasWidget>("picView")->isVisibleTo(&t.w()));
        QVERIFY(!t.child<QPushButton>("cmdLoad")->isVisibleTo(&t.w()));
        QCOMPARE(t.s().JDFrom, 2450000.0);
        QCOMPARE(t.s().JDTo, 2450200.5);
    }

    // Guards Cancel in the file dialog (nothing happens) and a file of nothing
    // usable: its message, and the start screen again.
    void loadUnusable() {
        Session t;
        t.w().cmdLoad();
        QVERIFY(t.platform.messages.empty());
        const QString bad = t.dir.filePath(QStringLiteral("bad.txt"));
        QVERIFY(writeFile(bad, "just,a,line\r\n"));
        t.platform.files.push_back(bad);
        t.w().cmdLoad();
        // The designed text first, then why, where the line went, and the other loaders.
        const QStringList texts = t.platform.textsTitled(QStringLiteral("Varilume"));
        QCOMPARE(texts.size(), 1);
        QCOMPARE(texts.front().split(QStringLiteral("\r\n")),
                 (QStringList{QStringLiteral("Error in loading database. Check source file."),
                              QStringLiteral("Its one line is no ORBIS observation. The lines "
                                             "that could not be read are in ") +
                                  QDir::toNativeSeparators(t.s().errorsPath()) + u'.',
                              QStringLiteral("Files \u2192 Load 2-Column File (JD, Mag) reads "
                                             "two or three columns of JD, magnitude and "
                                             "uncertainty; Files \u2192 Open Light-Curve "
                                             "Table\u2026 reads tables with named columns.")}));
        QVERIFY(!t.s().StarLoaded);
        QVERIFY(t.child<QPushButton>("cmdLoad")->isVisibleTo(&t.w()));
        QVERIFY(!t.child<CanvasWidget>("picView")->isVisibleTo(&t.w()));
    }

    // Guards the unload question: Cancel keeps the star, OK clears everything.
    void clearStar() {
        Session t;
        t.load();
        t.platform.answers = {Answer::Cancel};
        t.w().mnuClear();
        QVERIFY(t.s().StarLoaded);
        QCOMPARE(t.platform.messages.back().title, QStringLiteral("Unload Current Star?"));
        QCOMPARE(t.platform.messages.back().text, QStringLiteral("Unload current star rr lyr ?"));
        t.platform.answers = {Answer::Ok};
        t.w().mnuClear();
        QVERIFY(!t.s().StarLoaded);
        QCOMPARE(t.s().Period, 200.0f);
        QCOMPARE(t.s().StarName, QString());
        QCOMPARE(t.app->store().count(), qint64(0));
        QVERIFY(!t.child<QAction>("mnuClear")->isEnabled());
        QVERIFY(t.child<QPushButton>("cmdLoad")->isVisibleTo(&t.w()));
        QCOMPARE(t.w().statusPanel(1), QString());
    }

    // Guards the readouts after an unload: the phase and magnitude of the star
    // just unloaded do not stay on show.
    void clearEmptiesReadouts() {
        Session t;
        t.load();
        emit t.child<CanvasWidget>("picView")->mouseMoved(0.25, 9.5);
        QVERIFY(!t.w().statusPanel(3).isEmpty());
        t.platform.answers = {Answer::Ok};
        t.w().mnuClear();
        QVERIFY(!t.s().StarLoaded);
        QCOMPARE(t.w().statusPanel(2), QString());
        QCOMPARE(t.w().statusPanel(3), QString());
    }

    // Guards the program's life while its main window is hidden: a plot that
    // yields after the preview has closed and before the main window shows
    // again must not end the program (it ends only through its shutdown).
    void plotYieldingWhileHiddenKeepsRunning() {
        Session t;
        int quitRequests = 0;
        EventWatch watch(QEvent::Quit, &quitRequests);
        qApp->installEventFilter(&watch);
        bool hiddenDuringYield = false;
        t.platform.yieldInterval = 0;
        t.platform.onProcessEvents = [&] {
            if (t.s().Plotting && !t.w().isVisible())
                hiddenDuringYield = true;
            QCoreApplication::processEvents();
        };
        t.platform.files.push_back(t.orbis);
        t.platform.dialogScripts.push_back([](QDialog& d) {
            d.show(); // as a modal run shows it; closing it leaves no window on screen
            d.findChild<QPushButton*>(QStringLiteral("cmdGo"))->click();
        });
        // Inside the event loop, as the program runs, so that a quit would be acted on.
        QTimer::singleShot(0, [&] {
            t.w().cmdLoad();
            QCoreApplication::processEvents();
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        });
        QCoreApplication::exec();
        qApp->removeEventFilter(&watch);
        t.platform.onProcessEvents = nullptr;
        QVERIFY(hiddenDuringYield);
        QCOMPARE(quitRequests, 0);
        QVERIFY(t.s().StarLoaded);
        QVERIFY(t.w().isVisible());
        QVERIFY(!t.app->ended());
    }

    // Guards the step commands: the bounds, and Ctrl read from the keyboard
    // when the step happens, so a release that another window saw (Ctrl+P into
    // the preview) does not leave every later step ten-fold.
    void stepping() {
        Session t;
        t.load();
        t.s().Period = 1.0f;
        t.w().cmdIncrDn();
        QCOMPARE(t.s().Period, 0.0f);
        QCOMPARE(t.caption(), QStringLiteral("   RR LYR - (0 Points)"));
        QVERIFY(t.platform.messages.empty());

        t.platform.ctrl = true;
        QTest::keyPress(t.focused(), Qt::Key_Control);
        t.w().cmdIncrUp();
        QCOMPARE(t.s().Period, 10.0f);
        t.platform.ctrl = false; // released while the preview had the keyboard
        t.w().cmdIncrUp();
        QCOMPARE(t.s().Period, 11.0f);
        t.w().cmdIncrDn();
        QCOMPARE(t.s().Period, 10.0f);
    }

    // Guards "+" and "-" in the period box: each steps once and is consumed,
    // so the box keeps a period that the next Enter reads; also when the window
    // system has not made the window the active one (keys still reach the box).
    void stepKeysInPeriodBox_data() {
        QTest::addColumn<char>("key");
        QTest::addColumn<bool>("active");
        QTest::addColumn<float>("period");
        QTest::addRow("plus") << '+' << true << 21.0f;
        QTest::addRow("minus") << '-' << true << 19.0f;
        QTest::addRow("plus, window not active") << '+' << false << 21.0f;
    }
    void stepKeysInPeriodBox() {
        QFETCH(char, key);
        QFETCH(bool, active);
        QFETCH(float, period);
        Session t;
        t.load();
        auto* box = t.child<QLineEdit>("txtPeriod");
        QCOMPARE(QApplication::focusWidget(), box); // where a load leaves the focus
        box->setText(QStringLiteral("20"));
        QTest::keyClick(box, Qt::Key_Return);
        if (!active)
            QApplication::setActiveWindow(nullptr);
        box->setCursorPosition(box->text().size());
        QTest::keyClick(box, key);
        QCOMPARE(t.s().Period, period);
        QCOMPARE(box->text(), QStringLiteral(" ") + QString::number(period));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        QCOMPARE(t.s().Period, period);
        QCOMPARE(t.caption(), QStringLiteral("   RR LYR - (40 Points)"));
    }

    // Guards Enter and Space in the period box, and a text that is not a number.
    void typedPeriod() {
        Session t;
        t.load();
        auto* box = t.child<QLineEdit>("txtPeriod");
        box->setFocus();
        box->setText(QStringLiteral(" 37.5 "));
        QTest::keyClick(box, Qt::Key_Space);
        QCOMPARE(t.s().Period, 37.5f);
        QCOMPARE(box->text(), QStringLiteral(" 37.5 "));
        box->setText(QStringLiteral("12"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(t.s().Period, 12.0f);
        box->setText(QStringLiteral("twelve"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(t.s().Period, 12.0f);
        QCOMPARE(t.platform.messages.size(), size_t(1));
        QVERIFY(t.platform.messages[0].text.contains(QStringLiteral("twelve")));
    }

    // Guards the cycle options: both frames agree; the plot changes at the next refresh.
    void cycleOptions() {
        Session t;
        t.load();
        t.child<QRadioButton>("optTwoCycles")->click();
        QVERIFY(t.s().TwoCycles);
        QVERIFY(t.child<QRadioButton>("optUrTwoCycles")->isChecked());
        const auto phases = [&t] { // the phase range, inside the plot's edge margin
            const Canvas& c = t.w().picView();
            return c.toUser(QPointF(c.widthPx() - kPlotEdgePx, 0)).x() -
                   c.toUser(QPointF(kPlotEdgePx, 0)).x();
        };
        QCOMPARE(phases(), 1.0);
        t.w().cmdRefresh();
        QCOMPARE(phases(), 2.0);
        t.child<QRadioButton>("optUrOneCycle")->click();
        QVERIFY(!t.s().TwoCycles);
        QVERIFY(t.child<QRadioButton>("optOneCycle")->isChecked());
    }

    // Guards the readouts and the marker lines, which the next plot removes.
    void readoutsAndMarkers() {
        Session t;
        t.load();
        auto* view = t.child<CanvasWidget>("picView");
        auto* jdScale = t.child<CanvasWidget>("picJDScale");
        auto* magScale = t.child<CanvasWidget>("picMagScale");
        emit view->mouseMoved(0.25, 9.5);
        QCOMPARE(t.w().statusPanel(2), QStringLiteral("Phase = 0.250000"));
        QCOMPARE(t.w().statusPanel(3), QStringLiteral("  Mag = 9.5000"));
        emit jdScale->mouseMoved(-0.25, 3);
        QCOMPARE(t.w().statusPanel(2), QStringLiteral("Phase = -.25"));
        QCOMPARE(t.w().statusPanel(3), QString());
        emit magScale->mouseMoved(4, 9.5);
        QCOMPARE(t.w().statusPanel(2), QString());
        QCOMPARE(t.w().statusPanel(3), QStringLiteral("Mag =  9.5"));
        QTest::mouseMove(t.w().centralWidget(), QPoint(2, 2));
        QCOMPARE(t.w().statusPanel(3), QString());

        Canvas& c = t.w().picView();
        const QPointF at = c.toDevice(0, 10.3);
        const QRgb grey = qRgb(150, 150, 150);
        emit magScale->mousePressed(4, 10.3, Qt::LeftButton);
        QCOMPARE(c.image().pixel(int(at.x()) + 3, int(at.y())), grey);
        t.w().cmdIncrUp();
        QVERIFY(c.image().pixel(int(at.x()) + 3, int(at.y())) != grey);
    }

    // Guards Reset: whole data again, the magnification reported.
    void reset() {
        Session t;
        t.load();
        t.continuePreview();
        t.s().JDFrom = 2450100;
        t.w().cmdReset();
        QCOMPARE(t.s().JDFrom, t.s().MinJD);
        QCOMPARE(t.w().statusPanel(2), QStringLiteral("Magnification = 1.0 X"));
    }

    // Guards the resize: the plot follows the new size, and a window made too
    // small is held at its minimum size, where the plot still follows.
    void resize() {
        Session t;
        t.load();
        t.w().resize(900, 620);
        QCOMPARE(t.w().picView().widthPx(), t.child<CanvasWidget>("picView")->width());
        QCOMPARE(t.caption(), QStringLiteral("   RR LYR - (40 Points)"));
        t.w().resize(40, 600);
        QCOMPARE(t.w().width(), t.w().minimumWidth());
        QCOMPARE(t.w().picView().widthPx(), t.child<CanvasWidget>("picView")->width());
    }

    // Guards the preview's hand-back: an estimate reaches both period boxes,
    // a zoomed window the phase plot, whose zero moves to its middle.
    void previewEstimateAndZoom() {
        Session t;
        t.platform.files.push_back(t.orbis);
        t.platform.dialogScripts.push_back([](QDialog& d) {
            auto& preview = static_cast<FrmPreview&>(d);
            preview.clickAt(2450010.0);
            preview.clickAt(2450047.5);
            QCOMPARE(d.findChild<QLineEdit*>(QStringLiteral("txtPeriod"))->text(),
                     QStringLiteral("37.5"));
            preview.cmdZoom();
            preview.clickAt(2450100.0);
            preview.clickAt(2450050.0);
            preview.cmdGo();
        });
        t.w().cmdLoad();
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        QCOMPARE(t.s().Period, 37.5f);
        QCOMPARE(t.child<QLineEdit>("txtPeriod")->text(), QStringLiteral(" 37.5"));
        QCOMPARE(t.s().JDFrom, 2450050.0);
        QCOMPARE(t.s().JDTo, 2450100.0);
        QCOMPARE(t.s().MidJD, 2450075.0);
        QVERIFY(!t.s().ZoomMode);
        QCOMPARE(t.caption(), QStringLiteral("   RR LYR - (20 Points)"));
    }

    // Guards the slider after a zoom: it stays off once the zoom is done, since
    // a slider window counts from the whole data and would undo the zoom; Refresh
    // or Reset gives it back.
    void zoomKeepsSliderOff_data() {
        QTest::addColumn<bool>("reset");
        QTest::addRow("until refresh") << false;
        QTest::addRow("until reset") << true;
    }
    void zoomKeepsSliderOff() {
        QFETCH(bool, reset);
        Session t;
        t.platform.files.push_back(t.orbis);
        QList<bool> enabled;
        t.platform.dialogScripts.push_back([&](QDialog& d) {
            auto& preview = static_cast<FrmPreview&>(d);
            auto* slider = d.findChild<QSlider*>(QStringLiteral("sldRange"));
            preview.cmdZoom();
            enabled << slider->isEnabled();
            preview.clickAt(2450100.0);
            preview.clickAt(2450050.0);
            enabled << slider->isEnabled();
            if (reset)
                preview.cmdReset();
            else
                preview.cmdRefresh();
            enabled << slider->isEnabled();
            preview.cmdGo();
        });
        t.w().cmdLoad();
        QCOMPARE(enabled, (QList<bool>{false, false, true}));
    }

    // Guards the two-column load: named after the file, plotted through the
    // preview; a header line fails the load and leaves nothing behind.
    void twoColumnLoad() {
        Session t;
        const QString good = t.dir.filePath(QStringLiteral("SS Cyg.data.txt"));
        QVERIFY(writeFile(
            good, "2450000.5\t12.1\n2450001.5, 11.9\n2450002.5  <13.0\n2450003.5 12.4 0.1\n\n"));
        t.platform.files.push_back(good);
        t.platform.dialogScripts.push_back([](QDialog& d) { static_cast<FrmPreview&>(d).cmdGo(); });
        t.w().cmdLoadXYZ();
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        QCOMPARE(t.s().StarName, QStringLiteral("SS Cyg"));
        QVERIFY(t.s().StarLoaded);
        QCOMPARE(t.caption(),
                 QStringLiteral("File: ") + good.toUpper() + QStringLiteral(" - (3 Points)"));

        const QString bad = t.dir.filePath(QStringLiteral("bad.txt"));
        QVERIFY(writeFile(bad, "JD Mag\n2450000.5 12.1\n"));
        t.platform.answers = {Answer::Ok};
        t.platform.files.push_back(bad);
        t.w().cmdLoadXYZ();
        QCOMPARE(t.platform.messages.front().title, QStringLiteral("Unload Current File?"));
        QCOMPARE(t.platform.messages.back().title, QStringLiteral("Error"));
        QVERIFY(t.platform.messages.back().text.startsWith(
            QStringLiteral("Error in loading database. Check source file.\r\n")));
        QVERIFY(!t.s().StarLoaded);
        QCOMPARE(t.app->store().count(), qint64(0));
    }

    // Guards the files that load without a single observation: the "No
    // Observations" box, then the start screen and an empty store, whichever
    // load command read them.
    void loadWithoutObservations_data() {
        QTest::addColumn<bool>("twoColumn");
        QTest::addColumn<QByteArray>("content");
        QTest::addRow("empty two-column file") << true << QByteArray();
        QTest::addRow("two-column file of blank lines") << true << QByteArray("\n\n");
    }
    void loadWithoutObservations() {
        QFETCH(bool, twoColumn);
        QFETCH(QByteArray, content);
        Session t;
        const QString file = t.dir.filePath(QStringLiteral("empty.txt"));
        QVERIFY(writeFile(file, content));
        t.platform.files.push_back(file);
        twoColumn ? t.w().cmdLoadXYZ() : t.w().cmdLoad();
        QVERIFY(!t.platform.messages.empty());
        QCOMPARE(t.platform.messages.back().title, QStringLiteral("No Observations"));
        QVERIFY(t.platform.dialogsShown.empty()); // no preview
        QVERIFY(!t.s().StarLoaded);
        QCOMPARE(t.app->store().count(), qint64(0));
        QVERIFY(t.child<QPushButton>("cmdLoad")->isVisible());
    }

    // Guards a resize arriving while a plot yields: it replots once that plot
    // has ended, never inside it, and with the period in force by then.
    void resizeDuringPlotIsDeferred() {
        Session t;
        t.load();
        t.platform.yieldInterval = 0;
        bool resized = false;
        bool inYield = false;
        bool nested = false;
        t.platform.onProcessEvents = [&] {
            if (inYield)
                nested = true; // a plot started from inside the first one's yield
            if (!t.s().Plotting || resized)
                return;
            resized = true;
            inYield = true;
            t.s().Period = 50;
            t.w().resize(820, 560);
            inYield = false;
        };
        t.w().cmdIncrUp();
        t.platform.onProcessEvents = nullptr;
        QVERIFY(resized);
        QVERIFY(!nested);
        QVERIFY(!t.s().Plotting);
        QCOMPARE(t.w().picView().widthPx(), t.child<CanvasWidget>("picView")->width());
        auto rows = t.app->store().query(QStringLiteral(" SELECT * FROM Obs ORDER BY ID ; "));
        rows.moveFirst();
        QCOMPARE(rows.single(QStringLiteral("Phas")),
                 PhaseOf(t.s(), rows.number(QStringLiteral("JD"))));
        QCOMPARE(t.s().Period, 50.0f);
    }

    // Guards a load started while another load yields: it is refused, and the
    // first load ends whole (it used to break both).
    void loadRefusedDuringLoad() {
        Session t;
        t.platform.yieldInterval = 0;
        int tries = 0;
        t.platform.onProcessEvents = [&] {
            if (!t.s().Loading || tries > 0)
                return;
            ++tries;
            t.platform.files.push_back(t.orbis);
            t.w().cmdLoad();
            t.w().cmdLoadXYZ();
            t.w().mnuClear();
        };
        t.load();
        t.platform.onProcessEvents = nullptr;
        QCOMPARE(tries, 1);
        QCOMPARE(t.platform.fileRequests.size(), size_t(1)); // no second file dialog
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        QVERIFY(t.s().StarLoaded);
        QCOMPARE(t.app->store().count(), qint64(41));
    }

    // Guards closing the program while a load or a plot yields: the store stays
    // bound until the run has unwound, the run ends whole, then the program ends.
    void closeDuringRunIsDeferred_data() {
        QTest::addColumn<bool>("duringLoad");
        QTest::addColumn<bool>("viaExit");
        QTest::addRow("window closed during a load") << true << false;
        QTest::addRow("Exit during a load") << true << true;
        QTest::addRow("window closed during a plot") << false << false;
        QTest::addRow("Exit during a plot") << false << true;
    }
    void closeDuringRunIsDeferred() {
        QFETCH(bool, duringLoad);
        QFETCH(bool, viaExit);
        Session t;
        if (!duringLoad)
            t.load();
        t.platform.yieldInterval = 0;
        int closes = 0;
        bool boundAfterClose = false;
        bool endedInside = true;
        t.platform.onProcessEvents = [&] {
            if (closes > 0 || !(duringLoad ? t.s().Loading : t.s().Plotting))
                return;
            ++closes;
            if (viaExit)
                t.child<QAction>("mnuExit1")->trigger();
            else
                t.w().close();
            boundAfterClose = t.app->store().isBound();
            endedInside = t.app->ended();
        };
        if (duringLoad)
            t.load();
        else
            t.w().cmdIncrUp();
        t.platform.onProcessEvents = nullptr;
        QCOMPARE(closes, 1);
        QVERIFY(boundAfterClose);
        QVERIFY(!endedInside);
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        if (!duringLoad)
            QCOMPARE(t.caption(), QStringLiteral("   RR LYR - (40 Points)"));
        QTRY_VERIFY(t.app->ended());
        QVERIFY(!t.app->store().isBound());
    }

    // Guards rows left behind: a load that fails after storing rows (here the
    // file shrinks under it) says why, and empties the store before the next load.
    void failedLoadEmptiesStore() {
        Session t;
        const QString big = t.dir.filePath(QStringLiteral("big.txt"));
        QByteArray lines;
        for (int i = 0; i < 100'000; ++i)
            lines +=
                QByteArray::number(2450000.5 + i, 'f', 1) + ",9.5,,,V,ABC,,,,,,0,,Z,,,,big\r\n";
        QVERIFY(writeFile(big, lines));
        t.platform.yieldInterval = 0;
        int yields = 0;
        t.platform.onProcessEvents = [&] {
            if (t.s().Loading && ++yields == 5)
                QFile(big).resize(100);
        };
        t.platform.files.push_back(big);
        t.w().cmdLoad();
        t.platform.onProcessEvents = nullptr;
        QCOMPARE(t.platform.messages.size(), size_t(1));
        QVERIFY2(t.platform.messages[0].text.contains(QStringLiteral("it ended after")),
                 qPrintable(t.platform.transcript()));
        QVERIFY(!t.s().StarLoaded);
        QCOMPARE(t.app->store().count(), qint64(0));
        QVERIFY(t.child<QPushButton>("cmdLoad")->isVisibleTo(&t.w()));
        t.load();
        QCOMPARE(t.app->store().count(), qint64(41));
        QCOMPARE(t.caption(), QStringLiteral("   RR LYR - (40 Points)"));
    }

    // Guards the period steps with an increment from a damaged settings file.
    void refusedStepSaysWhy() {
        Session t;
        t.load();
        const QString shown = t.child<QLineEdit>("txtPeriod")->text();
        t.s().Increment = -3;
        t.w().cmdIncrUp();
        QCOMPARE(t.platform.textsTitled(QStringLiteral("Period")).size(), 1);
        QCOMPARE(t.s().Period, 200.0f);
        QCOMPARE(t.child<QLineEdit>("txtPeriod")->text(), shown);
    }

    // Guards the preview command without a star.
    void previewWithoutStar() {
        Session t;
        t.w().mnuPreview();
        QCOMPARE(t.platform.textsTitled(QStringLiteral("No Star Loaded")),
                 QStringList{QStringLiteral("No star file is loaded.")});
        QVERIFY(t.platform.dialogsShown.empty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
