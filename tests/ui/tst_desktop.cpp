#include "ui/AppSession.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace varilume;
using varilume::test::readFile;
using varilume::test::ScriptedPlatform;
using varilume::test::writeFile;

namespace {

QByteArray twoColumnLines() {
    QByteArray lines;
    for (int i = 0; i < 30; ++i)
        lines += QByteArray::number(2456000.0 + i * 0.37, 'f', 4) + "  " +
                 QByteArray::number(10.0 + (i % 5) * 0.2, 'f', 2) + "\n";
    return lines;
}

// A program folder with settings, data files of both layouts, and a started program.
struct Desk : test::ProgramFolder<> {
    explicit Desk(const QByteArray& extraSettings = {})
        : ProgramFolder("Increment=1.0\r\n" + extraSettings) {
        writeFile(path(QStringLiteral("rr lyr.txt")), test::orbisLines(30, 1.7, 6, 0.3));
        writeFile(path(QStringLiteral("EB Syn.dat")), twoColumnLines());
        writeFile(path(QStringLiteral("letter.txt")), "Dear observer,\nhello.\n");
        start();
    }
    // Drops files on the window as the desktop does, and lets the load run.
    void drop(const QStringList& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& f : files)
            urls << QUrl::fromLocalFile(f);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&w(), &enter);
        if (!enter.isAccepted())
            return;
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w(), &dropped);
        QCoreApplication::processEvents(); // the load starts once the drop is over
    }
    QStringList recentCaptions() {
        QStringList out;
        for (int i = 1; i <= 6; ++i)
            if (auto* a = w().findChild<QAction*>(QStringLiteral("mnuRecent%1").arg(i)))
                out << a->text();
        return out;
    }
};

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    // Guards a dropped file: it takes the load command's path (importer chosen
    // by content, unload question, preview), asks for no file, and a drop of
    // anything but one data file loads nothing.
    void drop_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("starLoadedBefore");
        QTest::addColumn<Answer>("unloadAnswer");
        QTest::addColumn<QString>("star");       // "" when nothing new is loaded
        QTest::addColumn<QStringList>("titles"); // messages shown
        QTest::addRow("ORBIS file")
            << QStringList{"rr lyr.txt"} << false << Answer::Ok << "rr lyr" << QStringList{};
        QTest::addRow("two-column file, named after the file")
            << QStringList{"EB Syn.dat"} << false << Answer::Ok << "EB Syn" << QStringList{};
        QTest::addRow("over a loaded star, unload agreed")
            << QStringList{"EB Syn.dat"} << true << Answer::Ok << "EB Syn"
            << QStringList{"Unload Current File?"};
        QTest::addRow("over a loaded star, unload cancelled")
            << QStringList{"EB Syn.dat"} << true << Answer::Cancel << ""
            << QStringList{"Unload Current File?"};
        QTest::addRow("not a data file") << QStringList{"letter.txt"} << false << Answer::Ok << ""
                                         << QStringList{"Not a Data File"};
        QTest::addRow("two files at once are refused")
            << QStringList{"rr lyr.txt", "EB Syn.dat"} << false << Answer::Ok << ""
            << QStringList{};
    }
    void drop() {
        QFETCH(QStringList, files);
        QFETCH(bool, starLoadedBefore);
        QFETCH(Answer, unloadAnswer);
        QFETCH(QString, star);
        QFETCH(QStringList, titles);
        Desk t;
        if (starLoadedBefore) {
            t.loadOrbis(t.path(QStringLiteral("rr lyr.txt")));
            QVERIFY(t.s().StarLoaded);
            t.platform.dialogsShown.clear();
            t.platform.fileRequests.clear();
        }
        QStringList paths;
        for (const QString& f : files)
            paths << t.path(f);
        t.platform.answers.push_back(unloadAnswer);
        t.continuePreview();
        t.drop(paths);

        QStringList shown;
        for (const auto& m : t.platform.messages)
            shown << m.title;
        QCOMPARE(shown, titles);
        QVERIFY(t.platform.fileRequests.empty());
        const bool loaded = !star.isEmpty();
        QCOMPARE(t.platform.dialogsShown.size(), size_t(loaded ? 1 : 0));
        if (loaded) {
            QCOMPARE(t.platform.dialogsShown[0], QStringLiteral("frmPreview"));
            QVERIFY(t.s().StarLoaded);
            QCOMPARE(t.s().StarName.trimmed(), star);
            QCOMPARE(t.w().statusPanel(1), QStringLiteral("File: ") + paths[0]);
            QCOMPARE(t.s().RecentFiles.front(), paths[0]);
        } else {
            QCOMPARE(t.s().StarLoaded, starLoadedBefore);
        }
    }

    // Guards the recent files: newest first, no repeats, five at most, kept in
    // the settings file and shown again at the next start; a file that has
    // gone is taken off with a message and nothing is loaded.
    void recentFiles() {
        Desk t;
        QStringList names;
        for (int i = 1; i <= 6; ++i) {
            names << QStringLiteral("star %1.dat").arg(i);
            QVERIFY(writeFile(t.path(names.back()), twoColumnLines()));
        }
        for (const QString& n : names) {
            t.continuePreview();
            t.w().loadFile(t.path(n));
        }
        t.continuePreview();
        t.w().loadFile(t.path(names[2])); // loaded again: to the top, not twice
        QVERIFY2(t.platform.textsTitled(QStringLiteral("Error")).isEmpty(),
                 qPrintable(t.platform.transcript()));
        const QStringList expected{t.path(names[2]), t.path(names[5]), t.path(names[4]),
                                   t.path(names[3]), t.path(names[1])};
        QCOMPARE(t.s().RecentFiles, expected);
        QCOMPARE(t.recentCaptions(),
                 (QStringList{"&1 " + expected[0], "&2 " + expected[1], "&3 " + expected[2],
                              "&4 " + expected[3], "&5 " + expected[4]}));

        // A recent file is loaded again from the menu.
        t.continuePreview();
        t.w().findChild<QAction*>(QStringLiteral("mnuRecent3"))->trigger();
        QCOMPARE(t.s().StarName, QStringLiteral("star 5"));
        QCOMPARE(t.s().RecentFiles.front(), expected[2]);

        // A file that has gone since.
        QVERIFY(QFile::remove(expected[0]));
        t.platform.messages.clear();
        t.w().findChild<QAction*>(QStringLiteral("mnuRecent2"))->trigger();
        QCOMPARE(t.platform.textsTitled(QStringLiteral("File Not Found")),
                 QStringList{QStringLiteral("The file ") + expected[0] +
                             QStringLiteral(" no longer exists. It has been taken off the list "
                                            "of recent files.")});
        QCOMPARE(t.s().StarName, QStringLiteral("star 5")); // still the star loaded before
        QCOMPARE(t.s().RecentFiles.size(), 4);
        QVERIFY(!t.s().RecentFiles.contains(expected[0]));
        QCOMPARE(t.recentCaptions().size(), 4);

        // Kept between runs.
        const QStringList kept = t.s().RecentFiles;
        t.app->ShutDown();
        QVERIFY(readFile(t.path(QStringLiteral("Varilume.ini")))
                    ->contains("Recent1=" + kept[0].toUtf8() + "\r\n"));
        t.start();
        QCOMPARE(t.s().RecentFiles, kept);
        QCOMPARE(t.recentCaptions().size(), 4);
    }

    // Guards the window's place and size: kept at the end of a run and used
    // at the next start; a place off every screen gives the first-start size.
    void windowPlace_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QRect>("expected"); // null: the design size, centred
        QTest::addRow("kept place") << QByteArray("WindowLeft=600\r\nWindowTop=450\r\n"
                                                  "WindowWidth=10500\r\nWindowHeight=8400\r\n")
                                    << QRect(40, 30, 700, 560);
        QTest::addRow("off every screen")
            << QByteArray("WindowLeft=-900000\r\nWindowTop=0\r\nWindowWidth=9000\r\n"
                          "WindowHeight=7500\r\n")
            << QRect();
        QTest::addRow("too small to use")
            << QByteArray("WindowLeft=0\r\nWindowTop=0\r\nWindowWidth=30\r\nWindowHeight=30\r\n")
            << QRect();
    }
    void windowPlace() {
        QFETCH(QByteArray, settings);
        QFETCH(QRect, expected);
        Desk t(settings);
        const QRect r = t.w().geometry();
        if (!expected.isNull()) {
            QCOMPARE(r, expected);
        } else {
            QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(r.center()));
            QVERIFY(r.width() >= 600);
        }
        t.w().setGeometry(QRect(50, 60, 700, 520));
        t.app->ShutDown();
        const QByteArray ini = readFile(t.path(QStringLiteral("Varilume.ini"))).value_or("");
        QVERIFY2(ini.contains("WindowLeft=750\r\nWindowTop=900\r\nWindowWidth=10500\r\n"
                              "WindowHeight=7800\r\n"),
                 ini.constData());
        t.start();
        QCOMPARE(t.w().geometry(), QRect(50, 60, 700, 520));
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
