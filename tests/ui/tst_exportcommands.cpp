#include "canvas/Canvas.h"
#include "ui/AppSession.h"
#include "ui/widgets/CanvasWidget.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace varilume;
using varilume::test::readFile;
using varilume::test::ScriptedPlatform;
using varilume::test::writeFile;

namespace {

// A started program over a temporary program folder; load() reads a star of
// 40 observations and leaves the preview with Continue.
struct Session : test::ProgramFolder<> {
    Session() : ProgramFolder("Increment=1.0\r\n") { start(); }
    Canvas& plot() { return child<CanvasWidget>("picView")->canvas(); }
    void load() {
        const QString orbis = path("rr lyr.txt");
        writeFile(orbis, test::orbisLines());
        loadOrbis(orbis);
        platform.messages.clear();
        platform.fileRequests.clear();
        platform.dialogsShown.clear();
    }
    // Opens "Load Bins" and runs script on it.
    void bins(std::function<void(QDialog&)> script) {
        platform.dialogScripts.push_back(std::move(script));
        w().mnuAverage();
    }
    // Saves through command (a menu command's name, or "bins" for the bin
    // file), the save dialog answering path.
    void save(const QString& command, const QString& path) {
        platform.files.push_back(path);
        if (command != "bins") {
            w().findChild<QAction*>(command)->trigger();
            return;
        }
        bins([](QDialog& d) {
            d.findChild<QLineEdit*>("txtBinWid")->setText("0.25");
            d.findChild<QCheckBox*>("chkBinFil")->setChecked(true);
            d.findChild<QPushButton*>("cmdEnter")->click();
        });
    }
};

void type(QDialog& d, const char* box, const QString& text) {
    d.findChild<QLineEdit*>(box)->setText(text);
}

void press(QDialog& d, const char* button) {
    d.findChild<QPushButton*>(button)->click();
}

// The circles of the mean curve (the plot's dots are drawn one pixel wide).
int binCircles(const Canvas& c) {
    int n = 0;
    for (const Canvas::Op& op : c.ops())
        n += op.kind == Canvas::Op::Circle && op.lineWidth == 2;
    return n;
}

} // namespace

class TestExportCommands : public QObject {
    Q_OBJECT

private slots:
    void noStar_data() {
        QTest::addColumn<QString>("command");
        QTest::addRow("sorted file") << "mnuSaveSort";
        QTest::addRow("JD-ordered file") << "mnuSaveJD";
        QTest::addRow("average line") << "mnuAverage";
    }

    void noStar() {
        QFETCH(QString, command);
        Session t;
        t.w().findChild<QAction*>(command)->trigger();
        QCOMPARE(t.platform.messages.size(), std::size_t(1));
        QCOMPARE(t.platform.messages[0].text, "No star file is loaded.");
        QCOMPARE(t.platform.messages[0].title, "No Star Loaded");
        QCOMPARE(t.platform.messages[0].icon, Icon::Critical);
        QVERIFY(t.platform.fileRequests.empty());
        QVERIFY(t.platform.dialogsShown.empty());
    }

    void exports_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("header");
        QTest::addRow("sorted") << "mnuSaveSort" << QByteArray("    Phase       Mag\r\n");
        QTest::addRow("JD order") << "mnuSaveJD"
                                  << QByteArray("    JD             Phase       Mag\r\n");
    }

    // Guards Cancel (nothing written, the display untouched), a file that cannot
    // be written (its message, the display back, the program going on) and a
    // normal save, in that order on one star.
    void exports() {
        QFETCH(QString, command);
        QFETCH(QByteArray, header);
        Session t;
        t.load();
        QAction* action = t.w().findChild<QAction*>(command);
        const QString before = t.s().FileName;

        t.platform.files.push_back(QString());
        action->trigger();
        QCOMPARE(t.platform.fileRequests.size(), std::size_t(1));
        QCOMPARE(t.platform.fileRequests[0].spec.filterIndex, 2);
        QVERIFY(t.platform.messages.empty());
        QCOMPARE(t.s().FileName, before);

        t.platform.files.push_back(t.dir.path()); // a folder cannot be opened as a file
        action->trigger();
        QCOMPARE(t.platform.errorReports(), "SaveFile");
        QVERIFY(t.child<CanvasWidget>("picView")->isVisibleTo(&t.w()));
        QVERIFY(!t.s().Plotting);

        const QString path = t.dir.filePath("out.txt");
        t.platform.files.push_back(path);
        action->trigger();
        QCOMPARE(t.platform.messages.size(), std::size_t(1));
        const QByteArray file = readFile(path).value_or(QByteArray());
        QCOMPARE(file.split('\n').size(), 4 + 40 + 1);
        QCOMPARE(file.split('\n')[2] + '\n', header);
        QCOMPARE(t.s().FileName, path);
    }

    // Guards the whole averaging: Enter replots, draws the mean curve and closes.
    void averageDrawn() {
        Session t;
        t.load();
        t.plot().setRecording(true);
        int result = -1;
        t.bins([&](QDialog& d) {
            QCOMPARE(d.windowTitle(), "Load Bins");
            QCOMPARE(d.findChild<QLineEdit*>("txtBinWid")->text(), "0.10");
            QCOMPARE(d.findChild<QLineEdit*>("txtSigma")->text(), "2");
            type(d, "txtBinWid", "0.25");
            type(d, "txtSigma", "3");
            press(d, "cmdEnter");
            result = d.result();
        });
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(t.s().BinParam, 3);
        QVERIFY(t.s().BinsShown);
        QCOMPARE(binCircles(t.plot()), int(t.s().BinPhase.size()));
        QVERIFY(t.s().BinPhase.size() >= 2);
    }

    void badEntries_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("sigma");
        QTest::addColumn<QString>("message");
        QTest::addRow("width not a number")
            << "x"
            << "2"
            << "The bin size \"x\" is not a number above 0 and below 1.";
        QTest::addRow("width 0") << "0"
                                 << "2"
                                 << "The bin size \"0\" is not a number above 0 and below 1.";
        QTest::addRow("error bar not a number")
            << "0.1"
            << "two"
            << "Error \"Type mismatch\" encountered in module frmBins Enter.";
    }

    // Guards that a bad entry is said, changes nothing and leaves the dialog
    // open; a good one then goes on.
    void badEntries() {
        QFETCH(QString, width);
        QFETCH(QString, sigma);
        QFETCH(QString, message);
        Session t;
        t.load();
        t.plot().setRecording(true);
        t.bins([&](QDialog& d) {
            type(d, "txtBinWid", width);
            type(d, "txtSigma", sigma);
            press(d, "cmdEnter");
            QCOMPARE(d.result(), int(QDialog::Rejected));
            QVERIFY(t.plot().ops().empty()); // the plot was not touched
            type(d, "txtBinWid", "0.25");
            type(d, "txtSigma", "2");
            press(d, "cmdEnter");
        });
        QCOMPARE(t.platform.messages.size(), std::size_t(1));
        QCOMPARE(t.platform.messages[0].text, message);
        QVERIFY(binCircles(t.plot()) >= 2);
    }

    // Guards Cancel in the dialog: nothing is redrawn.
    void cancelDialog() {
        Session t;
        t.load();
        t.plot().setRecording(true);
        t.bins([](QDialog& d) { press(d, "cmdCancel"); });
        QVERIFY(t.plot().ops().empty());
        QVERIFY(t.s().BinPhase.empty());
        QVERIFY(t.platform.messages.empty());
    }

    void binFile_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QList<int>>("answers"); // No = 0, Yes = 1
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<bool>("written");
        QTest::addRow("new file") << false << QList<int>{} << 1 << true;
        QTest::addRow("overwrite: No, No, Yes") << true << QList<int>{0, 0, 1} << 3 << true;
        QTest::addRow("Cancel in the save dialog") << false << QList<int>{} << 1 << false;
    }

    // Guards the bin file: the overwrite question asked again after each No,
    // Cancel unchecking the box with the averaging still drawn.
    void binFile() {
        QFETCH(bool, exists);
        QFETCH(QList<int>, answers);
        QFETCH(int, dialogs);
        QFETCH(bool, written);
        Session t;
        t.load();
        const QString path = t.dir.filePath("rr lyr Avg.txt");
        if (exists)
            writeFile(path, "old");
        for (int i = 0; i < dialogs; ++i)
            t.platform.files.push_back(written ? path : QString());
        for (int a : answers)
            t.platform.answers.push_back(a ? Answer::Yes : Answer::No);
        t.plot().setRecording(true);
        bool checkedAfter = true;
        t.bins([&](QDialog& d) {
            type(d, "txtBinWid", "0.25");
            d.findChild<QCheckBox*>("chkBinFil")->setChecked(true);
            press(d, "cmdEnter");
            checkedAfter = d.findChild<QCheckBox*>("chkBinFil")->isChecked();
        });
        QCOMPARE(int(t.platform.fileRequests.size()), dialogs);
        QCOMPARE(t.platform.fileRequests[0].spec.fileName, "rr lyr Avg.txt");
        QCOMPARE(t.platform.fileRequests[0].spec.initialFolder, t.s().FilePath);
        QCOMPARE(int(t.platform.messages.size()), answers.size());
        for (const auto& m : t.platform.messages) {
            QCOMPARE(m.text,
                     "The file " + path + " already exists.\r\nDo you want to overwrite it?");
            QCOMPARE(m.buttons, Buttons::YesNo);
        }
        QCOMPARE(checkedAfter, written);
        const QByteArray file = readFile(path).value_or(QByteArray());
        QCOMPARE(file.startsWith("Bins plotted by Varilume for rr lyr\r\n"), written);
        if (written)
            QCOMPARE(file.count("\r\n"), 4 + int(t.s().BinPhase.size()));
        QVERIFY(binCircles(t.plot()) >= 2);
    }

    void saveFolders_data() {
        QTest::addColumn<QString>("first"); // the save before, into a folder of its own
        QTest::addColumn<QString>("then");  // the save whose dialog is looked at
        QTest::addColumn<QString>("proposed");
        QTest::addRow("nothing saved yet: the data folder") << ""
                                                            << "mnuSaveSort"
                                                            << "rr lyr sorted.txt";
        QTest::addRow("bin file after a sorted export") << "mnuSaveSort"
                                                        << "bins"
                                                        << "rr lyr Avg.txt";
        QTest::addRow("bin file after a bin file") << "bins"
                                                   << "bins"
                                                   << "rr lyr Avg.txt";
        QTest::addRow("JD export after a picture") << "mnuSaveImage"
                                                   << "mnuSaveJD"
                                                   << "rr lyr JD.txt";
        QTest::addRow("picture after a JD export") << "mnuSaveJD"
                                                   << "mnuSaveImage"
                                                   << "rr lyr.bmp";
        QTest::addRow("sorted export after a bin file") << "bins"
                                                        << "mnuSaveSort"
                                                        << "rr lyr sorted.txt";
    }

    // Guards where a save dialog opens and what it offers after another save:
    // the folder of that save and the star's name, so that Save pressed at once
    // writes the file there (a saved file is never taken for a folder).
    void saveFolders() {
        QFETCH(QString, first);
        QFETCH(QString, then);
        QFETCH(QString, proposed);
        Session t;
        t.load();
        const QString folder = t.dir.filePath("exports");
        QVERIFY(QDir().mkpath(folder));
        if (!first.isEmpty())
            t.save(first, folder + "/star_saved.txt");
        t.platform.fileRequests.clear();
        t.save(then, ScriptedPlatform::kProposed);
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        QCOMPARE(t.platform.fileRequests.size(), std::size_t(1));
        const FileDialogSpec& spec = t.platform.fileRequests[0].spec;
        const QString opened = first.isEmpty() ? t.s().FilePath : folder;
        QCOMPARE(spec.initialFolder, opened);
        QCOMPARE(spec.fileName, proposed);
        QVERIFY(QFileInfo(opened + "/" + proposed).isFile());
        QCOMPARE(t.s().SaveFolder, opened);
        QCOMPARE(t.s().FileName, opened + "/" + proposed);
    }

    void addedExtension_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addRow("sorted export, no extension") << "mnuSaveSort"
                                                     << "betel_jd"
                                                     << "betel_jd.txt";
        QTest::addRow("JD export, own extension kept") << "mnuSaveJD"
                                                       << "betel.dat"
                                                       << "betel.dat";
        QTest::addRow("bin file, no extension") << "bins"
                                                << "betel avg"
                                                << "betel avg.txt";
        QTest::addRow("picture, no extension") << "mnuSaveImage"
                                               << "betel"
                                               << "betel.bmp";
    }

    // Guards that a name typed without an extension gets the one of the
    // dialog's filter.
    void addedExtension() {
        QFETCH(QString, command);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        Session t;
        t.load();
        t.save(command, t.dir.filePath(typed));
        QVERIFY2(t.platform.messages.empty(), qPrintable(t.platform.transcript()));
        QVERIFY(QFileInfo(t.dir.filePath(written)).isFile());
        QCOMPARE(QFileInfo::exists(t.dir.filePath(typed)), typed == written);
    }

    // Guards Configure after a picture was saved: it offers to unload the
    // loaded star's file, not the picture.
    void configureNamesLoadedFile() {
        Session t;
        t.load();
        t.save("mnuSaveImage", t.dir.filePath("plot.bmp"));
        t.platform.answers.push_back(Answer::No);
        t.app->configure();
        QCOMPARE(t.platform.textsTitled("Cannot Reconfigure"),
                 QStringList{"You cannot change the configuration while a file is loaded.\r\n\r\n"
                             "Do you want to unload the file " +
                             t.path("rr lyr.txt") + "?"});
        QVERIFY(t.s().StarLoaded);
    }

    // Guards a table with no qualifying bin: the message, and the plain plot again.
    void tooFewBins() {
        Session t;
        t.load();
        t.bins([](QDialog& d) {
            type(d, "txtBinWid", "0.0001");
            press(d, "cmdEnter");
        });
        QCOMPARE(t.platform.textsTitled("Error"),
                 QStringList{"Too few bins for the number of days in plot."});
        QVERIFY(!t.s().BinsShown);
        QVERIFY(t.s().BinPhase.empty());
    }

    // Guards the bins button and Ctrl+A, also from the period box.
    void shortcuts() {
        Session t;
        t.load();
        t.child<QToolButton>("cmdBins")->click();
        QCOMPARE(t.platform.dialogsShown, std::vector<QString>{"frmBins"});
        QLineEdit* period = t.child<QLineEdit>("txtPeriod");
        period->setFocus();
        QTest::keyClick(period, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(t.platform.dialogsShown.size(), std::size_t(2));
    }
};

QTEST_MAIN(TestExportCommands)
#include "tst_exportcommands.moc"
