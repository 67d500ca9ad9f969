#include "app/Application.h"
#include "support/Files.h"
#include "support/ScriptedPlatform.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace varilume;
using namespace varilume::test;

namespace {

// A program folder with the template, and optionally a settings file.
struct ProgramFolder {
    QTemporaryDir dir;
    explicit ProgramFolder(bool withTemplate = true, bool withSettings = true) {
        if (withTemplate)
            QFile::copy(QStringLiteral(VARILUME_TEMPLATE), file(QStringLiteral("Template.mdb")));
        if (withSettings) {
            writeFile(file(QStringLiteral("Varilume.ini")),
                      "[Varilume.exe]\r\nFilePath=" + dir.path().toUtf8() +
                          "\r\nIncrement=0.5\r\n");
        }
    }
    QString file(const QString& name) const { return dir.filePath(name); }
    QByteArray read(const QString& name) const {
        return readFile(file(name)).value_or(QByteArray());
    }
};

void pressButton(QDialog& dialog, const char* name) {
    auto* b = dialog.findChild<QPushButton*>(QLatin1String(name));
    QVERIFY2(b, name);
    b->click();
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    // Guards the ordinary start over a stale store from an earlier run: the
    // store is made afresh, the window opens at its design size, no dialog.
    void normalStart() {
        ProgramFolder folder;
        QVERIFY(writeFile(folder.file(QStringLiteral("Varilume.mdb")), "not a database at all"));
        ScriptedPlatform platform;
        Application app(platform, folder.dir.path());
        QVERIFY(app.start());
        QVERIFY2(platform.messages.empty() && platform.dialogsShown.empty(),
                 qPrintable(platform.transcript()));
        QCOMPARE(app.store().count(), qint64(0));
        QVERIFY(QDir(folder.file(QStringLiteral("files"))).exists());
        QCOMPARE(app.state().Increment, 0.5f);
        QCOMPARE(app.mainWindow()->outerTwips(), QSizeF(11250, 8250));
        QVERIFY(!app.mainWindow()->findChild<QAction*>(QStringLiteral("mnuClear"))->isEnabled());
        app.mainWindow()->mnuClear(); // nothing loaded: no question
        QVERIFY(platform.messages.empty());
    }

    // Guards the missing template: its message, then the end without a window.
    void missingTemplate() {
        ProgramFolder folder(false);
        ScriptedPlatform platform;
        Application app(platform, folder.dir.path());
        QVERIFY(!app.start());
        QVERIFY(app.ended());
        QCOMPARE(app.exitCode(), 1);
        QCOMPARE(platform.messages.size(), size_t(1));
        QCOMPARE(platform.messages[0].title, QStringLiteral("File Missing"));
        QCOMPARE(platform.messages[0].text, QStringLiteral("Database template ") +
                                                folder.file(QStringLiteral("Template.mdb")) +
                                                QStringLiteral(" missing."));
        QCOMPARE(platform.messages[0].icon, Icon::Critical);
        QVERIFY(!app.mainWindow());
    }

    // Guards the first run: the dialog comes first, Cancel ends through the
    // normal shutdown, and the next start reads the written file without asking.
    void firstRunCancelled() {
        ProgramFolder folder(true, false);
        {
            ScriptedPlatform platform;
            platform.dialogScripts.push_back([](QDialog& d) { pressButton(d, "cmdCancel"); });
            Application app(platform, folder.dir.path());
            QVERIFY(!app.start());
            QCOMPARE(platform.dialogsShown, std::vector<QString>{QStringLiteral("frmConfig")});
            QVERIFY(!app.mainWindow());
            QVERIFY(!QFile::exists(folder.file(QStringLiteral("Varilume.mdb"))));
        }
        const QByteArray ini = folder.read(QStringLiteral("Varilume.ini"));
        QVERIFY2(ini.startsWith("[Varilume.exe]\r\n"), ini.constData());
        QVERIFY(ini.contains("\r\nIncrement=0.0\r\n"));
        QVERIFY(ini.contains("\r\nColorVIS=0\r\n"));

        ScriptedPlatform again;
        Application app(again, folder.dir.path());
        QVERIFY(app.start());
        QVERIFY(again.dialogsShown.empty());
    }

    // Guards the first run confirmed with Enter: settings written, window shown.
    void firstRunEntered() {
        ProgramFolder folder(true, false);
        ScriptedPlatform platform;
        platform.dialogScripts.push_back([](QDialog& d) { pressButton(d, "cmdEnter"); });
        Application app(platform, folder.dir.path());
        QVERIFY(app.start());
        QVERIFY2(platform.messages.empty(), qPrintable(platform.transcript()));
        QVERIFY(!app.state().IniMissing);
        QCOMPARE(app.state().Increment, 1.0f);
        QCOMPARE(app.state().FilePath, folder.file(QStringLiteral("files")));
        QCOMPARE(app.state().ColorFAINT, DefaultColor::FAINT);
        QVERIFY(folder.read(QStringLiteral("Varilume.ini")).contains("Increment=1.0\r\n"));
        QVERIFY(app.mainWindow()->isVisible());
    }

    // Guards shutdown: settings written and no working store left behind.
    void shutDownCleansUp() {
        ProgramFolder folder;
        ScriptedPlatform platform;
        Application app(platform, folder.dir.path());
        QVERIFY(app.start());
        app.state().Increment = 0.25f;
        app.mainWindow()->close();
        QVERIFY(app.ended());
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("Varilume.mdb"))));
        QVERIFY(QFile::exists(folder.file(QStringLiteral("Template.mdb"))));
        QVERIFY(folder.read(QStringLiteral("Varilume.ini")).contains("Increment=0.25\r\n"));
    }

    // Guards the about box: its version text and closing on a click on that text.
    void aboutBox() {
        ProgramFolder folder;
        ScriptedPlatform platform;
        QString version;
        bool closed = false;
        platform.dialogScripts.push_back([&](QDialog& d) {
            auto* label = d.findChild<QWidget*>(QStringLiteral("Label3"));
            QVERIFY(label);
            version = label->property("text").toString();
            QTest::mouseClick(label, Qt::LeftButton);
            closed = d.result() == QDialog::Accepted;
        });
        Application app(platform, folder.dir.path());
        QVERIFY(app.start());
        app.about();
        QCOMPARE(version, QStringLiteral("Varilume Version 2.0.47"));
        QVERIFY(closed);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
