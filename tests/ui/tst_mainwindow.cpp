#include "app/Application.h"
#include "canvas/Canvas.h"
#include "plot/Phase.h"
#include "support/Files.h"
#include "support/ScriptedPlatform.h"
#include "ui/preview/FrmPreview.h"
#include "ui/widgets/CanvasWidget.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace varilume;
using varilume::test::ScriptedPlatform;
using varilume::test::writeFile;

namespace {

// A started program over a temporary program folder, with a small ORBIS file.
struct Session {
    QTemporaryDir dir;
    ScriptedPlatform platform;
    std::unique_ptr<Application> app;
    QString orbis;

    Session() {
        QFile::copy(QStringLiteral(VARILUME_TEMPLATE),
                    dir.filePath(QStringLiteral("Template.mdb")));
        writeFile(dir.filePath(QStringLiteral("Varilume.ini")),
                  "[Varilume.exe]\r\nFilePath=" + dir.path().toUtf8() +
                      "\r\nIncrement=1.0\r\nColorVIS=65280\r\nColorV=16744448\r\n"
                      "ColorFAINT=15520722\r\n");
        QByteArray lines =
            "JD,Magnitude,Uncertainty,HQuncertainty,Band,Observer Code,Comment Code(s),Comp Star 1,"
            "Comp Star 2,Charts,Comments,Transfomed,Airmass,Validation Flag,Cmag,Kmag,HJD,Star "
            "Name\r\n";
        for (int i = 0; i < 40; ++i) {
            const QByteArray jd = QByteArray::number(2450000.0 + i * 2.5, 'f', 4);
            const QByteArray mag = QByteArray::number(9.0 + (i % 8) * 0.25, 'f', 2);
            lines += jd + "," + mag + ",,,V,ABC,,,,,,0,,Z,,,,rr lyr\r\n";
        }
        lines += "2450200.5,<11.5,,,Vis.,ABC,,,,,,0,,Z,,,,rr lyr\r\n";
        orbis = dir.filePath(QStringLiteral("rr lyr.txt"));
        writeFile(orbis, lines);
        app = std::make_unique<Application>(platform, dir.path());
        app->start();
        QApplication::setActiveWindow(app->mainWindow());
    }
    QWidget* focused() {
        QWidget* f = QApplication::focusWidget();
        return f ? f : app->mainWindow();
    }
    FrmPlot& w() { return *app->mainWindow(); }
    ProjectState& s() { return app->state(); }
    template <typename T> T* child(const char* name) {
        return w().findChild<T*>(QLatin1String(name));
    }
    QString caption() { return child<QLabel>("lblStarName")->text(); }
    // Loads the ORBIS file, leaving the preview with Continue.
    void load() {
        platform.files.push_back(orbis);
        platform.dialogScripts.push_back(
            [](QDialog& d) { d.findChild<QPushButton*>(QStringLiteral("cmdGo"))->click(); });
        w().cmdLoad();
        QApplication::setActiveWindow(app->mainWindow());
    }
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
        QCOMPARE(t.platform.textsTitled(QStringLiteral("Varilume")),
                 QStringList{QStringLiteral("Error in loading database. Check source file.")});
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

    // Guards the step commands and keys: bounds, Ctrl, and the characters
    // still reaching the period box.
    void stepping() {
        Session t;
        t.load();
        auto* box = t.child<QLineEdit>("txtPeriod");
        t.s().Period = 1.0f;
        t.w().cmdIncrDn();
        QCOMPARE(t.s().Period, 0.0f);
        QCOMPARE(t.caption(), QStringLiteral("   RR LYR - (0 Points)"));
        QVERIFY(t.platform.messages.empty());

        QTest::keyPress(t.focused(), Qt::Key_Control);
        QVERIFY(t.w().ctrlDown());
        t.w().cmdIncrUp();
        QCOMPARE(t.s().Period, 10.0f);
        QTest::keyRelease(t.focused(), Qt::Key_Control);
        QVERIFY(!t.w().ctrlDown());

        box->setFocus();
        box->setText(QStringLiteral("20"));
        box->setCursorPosition(2);
        QTest::keyClick(box, '+');
        QCOMPARE(t.s().Period, 11.0f);
        QCOMPARE(box->text(), QStringLiteral(" 11+"));
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
        QCOMPARE(t.w().picView().scaleWidth(), 1.0);
        t.w().cmdRefresh();
        QCOMPARE(t.w().picView().scaleWidth(), 2.0);
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
        t.platform.dialogScripts.push_back(
            [](QDialog& d) { d.findChild<QPushButton*>(QStringLiteral("cmdGo"))->click(); });
        t.s().JDFrom = 2450100;
        t.w().cmdReset();
        QCOMPARE(t.s().JDFrom, t.s().MinJD);
        QCOMPARE(t.w().statusPanel(2), QStringLiteral("Magnification = 1.0 X"));
    }

    // Guards the resize: the plot follows the new size and a too small window snaps back.
    void resize() {
        Session t;
        t.load();
        t.w().resize(900, 620);
        QCOMPARE(t.w().picView().widthPx(), t.child<CanvasWidget>("picView")->width());
        QCOMPARE(t.caption(), QStringLiteral("   RR LYR - (40 Points)"));
        t.w().resize(40, 600);
        QCOMPARE(t.w().outerTwips().width(), 11250.0);
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
        QCOMPARE(t.child<QLineEdit>("txtPeriod")->text(), QStringLiteral("37.5"));
        QCOMPARE(t.s().JDFrom, 2450050.0);
        QCOMPARE(t.s().JDTo, 2450100.0);
        QCOMPARE(t.s().MidJD, 2450075.0);
        QVERIFY(!t.s().ZoomMode);
        QCOMPARE(t.caption(), QStringLiteral("   RR LYR - (20 Points)"));
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
        QVERIFY(t.s().LoadOK);
        QCOMPARE(t.app->store().count(), qint64(0));
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
