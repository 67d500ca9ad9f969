#include "support/Files.h"
#include "support/TestContext.h"
#include "ui/dialogs/FrmBrowse.h"
#include "ui/dialogs/FrmConfig.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace varilume;
using varilume::test::readFile;
using varilume::test::TestContext;

namespace {
QLineEdit* box(QWidget& w, const char* name) {
    return w.findChild<QLineEdit*>(QLatin1String(name));
}
QByteArray readIni(const ProjectState& s) {
    return readFile(s.settingsPath()).value_or(QByteArray());
}
} // namespace

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    // Guards activation and Enter: an empty folder becomes the files folder, a
    // zero increment shows and is stored as 1, a black colour as its default.
    void activationAndEnter() {
        TestContext t;
        ProjectState& s = t.folder.state;
        s.ColorV = 123;
        s.IniMissing = true;
        FrmConfig dlg(t.ctx);
        QCOMPARE(s.FilePath, s.ProgramFolder + QStringLiteral("/files"));
        QCOMPARE(box(dlg, "txtIncrement")->text(), QStringLiteral("1"));
        QCOMPARE(dlg.buttonColor(7), std::int32_t(255)); // R default
        QCOMPARE(dlg.buttonColor(5), std::int32_t(123));
        dlg.cmdEnter();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(s.Increment, 1.0f);
        QCOMPARE(s.ColorR, DefaultColor::R);
        QVERIFY(!s.IniMissing);
        QVERIFY(readIni(s).contains("ColorR=255\r\n"));
    }

    // Guards the colour dialog: OK changes the button only until Enter; Cancel changes nothing.
    void pickColour() {
        TestContext t;
        t.folder.state.ColorU = 5;
        FrmConfig dlg(t.ctx);
        t.platform.colors = {std::int32_t(777), std::nullopt};
        dlg.pickColor(4);
        QCOMPARE(dlg.buttonColor(4), std::int32_t(777));
        QCOMPARE(t.folder.state.ColorU, 5.0);
        dlg.pickColor(4);
        QCOMPARE(dlg.buttonColor(4), std::int32_t(777));
        dlg.cmdEnter();
        QCOMPARE(t.folder.state.ColorU, 777.0);
    }

    // Guards Reset Colors: defaults take effect at once and survive Cancel,
    // while the settings file keeps the old colours.
    void resetThenCancel() {
        TestContext t;
        t.folder.state.ColorVIS = 42;
        t.folder.state.FilePath = t.folder.state.ProgramFolder;
        FrmConfig dlg(t.ctx);
        dlg.cmdEnter();
        QVERIFY(readIni(t.folder.state).contains("ColorVIS=42\r\n"));
        FrmConfig again(t.ctx);
        box(again, "txtIncrement")->setText(QStringLiteral("7"));
        again.cmdReset();
        QCOMPARE(box(again, "txtIncrement")->text(), QStringLiteral("1"));
        again.reject();
        QCOMPARE(t.folder.state.ColorVIS, DefaultColor::VIS);
        QCOMPARE(t.folder.state.ColorCR, DefaultColor::CR);
        QVERIFY(readIni(t.folder.state).contains("ColorVIS=42\r\n"));
    }

    // Guards the increment box: text that is not a positive number is refused
    // with a message and the dialog stays open.
    void badIncrement_data() {
        QTest::addColumn<QString>("text");
        QTest::addRow("letters") << "abc";
        QTest::addRow("empty") << "";
        QTest::addRow("zero") << "0";
        QTest::addRow("negative") << "-1";
    }
    void badIncrement() {
        QFETCH(QString, text);
        TestContext t;
        t.folder.state.Increment = 0.5f;
        FrmConfig dlg(t.ctx);
        box(dlg, "txtIncrement")->setText(text);
        dlg.cmdEnter();
        QVERIFY(dlg.result() != QDialog::Accepted);
        QCOMPARE(t.folder.state.Increment, 0.5f);
        QCOMPARE(t.platform.messages.size(), size_t(1));
        QVERIFY2(t.platform.messages[0].text.contains(QStringLiteral("increment")),
                 qPrintable(t.platform.transcript()));
        QVERIFY(!QFile::exists(t.folder.state.settingsPath()));
    }

    // Guards a missing folder: No keeps the old folder and the dialog open and
    // marks the settings missing; Yes creates it; an uncreatable one is reported.
    void missingFolder_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("iniMissing");
        QTest::addColumn<int>("messages");
        QTest::addRow("declined") << "new" << int(Answer::No) << false << true << 1;
        QTest::addRow("created") << "new" << int(Answer::Yes) << true << false << 1;
        QTest::addRow("parent missing")
            << "no/such/parent" << int(Answer::Yes) << false << false << 2;
    }
    void missingFolder() {
        QFETCH(QString, relative);
        QFETCH(int, answer);
        QFETCH(bool, accepted);
        QFETCH(bool, iniMissing);
        QFETCH(int, messages);
        TestContext t;
        t.folder.state.FilePath = t.folder.state.ProgramFolder;
        FrmConfig dlg(t.ctx);
        const QString wanted = t.folder.path(relative);
        box(dlg, "txtFilePath")->setText(wanted);
        t.platform.answers.push_back(static_cast<Answer>(answer));
        dlg.cmdEnter();
        QCOMPARE(dlg.result() == QDialog::Accepted, accepted);
        QCOMPARE(t.folder.state.IniMissing, iniMissing);
        QCOMPARE(int(t.platform.messages.size()), messages);
        QCOMPARE(t.platform.messages[0].title, QStringLiteral("Folder Missing!"));
        QCOMPARE(t.platform.messages[0].text,
                 QStringLiteral("The folder ") + wanted +
                     QStringLiteral(" does not exist. Do you want to creat it?"));
        QCOMPARE(t.folder.state.FilePath, accepted ? wanted : t.folder.state.ProgramFolder);
        if (!accepted)
            QCOMPARE(box(dlg, "txtFilePath")->text(), t.folder.state.ProgramFolder);
    }

    // Guards the folder browser: Cancel changes nothing; Enter hands the path
    // to the configuration dialog's box, and only that dialog's Enter saves it,
    // together with the colour and increment edits made before browsing.
    void browse_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("configButton");
        QTest::addColumn<QString>("savedFolder");
        QTest::addColumn<float>("savedIncrement");
        QTest::addRow("browse cancelled, config entered") << "cmdCancel"
                                                          << "cmdEnter"
                                                          << "program" << 7.5f;
        QTest::addRow("browse entered, config entered") << "cmdExit"
                                                        << "cmdEnter"
                                                        << "files" << 7.5f;
        QTest::addRow("browse entered, config cancelled") << "cmdExit"
                                                          << "cmdCancel"
                                                          << "program" << 0.5f;
    }
    void browse() {
        QFETCH(QString, button);
        QFETCH(QString, configButton);
        QFETCH(QString, savedFolder);
        QFETCH(float, savedIncrement);
        TestContext t;
        ProjectState& s = t.folder.state;
        s.FilePath = s.ProgramFolder;
        s.Increment = 0.5f;
        s.ColorU = 5;
        FrmConfig dlg(t.ctx);
        box(dlg, "txtIncrement")->setText(QStringLiteral("7.5"));
        t.platform.colors = {std::int32_t(777)};
        dlg.pickColor(4);
        t.platform.dialogScripts.push_back([&](QDialog& d) {
            box(d, "txtPath")->setText(s.FilesFolder);
            d.findChild<QPushButton*>(button)->click();
        });
        dlg.cmdBrowse();
        QCOMPARE(s.FilePath, s.ProgramFolder);
        QCOMPARE(box(dlg, "txtFilePath")->text(),
                 button == u"cmdExit" ? s.FilesFolder : s.ProgramFolder);
        QCOMPARE(box(dlg, "txtIncrement")->text(), QStringLiteral("7.5"));
        QCOMPARE(dlg.buttonColor(4), std::int32_t(777));
        dlg.findChild<QPushButton*>(configButton)->click();
        QCOMPARE(s.FilePath, savedFolder == u"files" ? s.FilesFolder : s.ProgramFolder);
        QCOMPARE(s.Increment, savedIncrement);
        QCOMPARE(s.ColorU, configButton == u"cmdEnter" ? 777.0 : 5.0);
    }

    // Guards a refused increment: the folder typed with it is not taken either,
    // so a Cancel afterwards leaves the settings as they were.
    void refusedIncrementCommitsNothing() {
        TestContext t;
        ProjectState& s = t.folder.state;
        s.FilePath = s.ProgramFolder;
        FrmConfig dlg(t.ctx);
        box(dlg, "txtFilePath")->setText(s.FilesFolder);
        box(dlg, "txtIncrement")->setText(QStringLiteral("fast"));
        dlg.cmdEnter();
        QCOMPARE(t.platform.messages.size(), size_t(1));
        QCOMPARE(box(dlg, "txtFilePath")->text(), s.FilesFolder);
        dlg.reject();
        QCOMPARE(s.FilePath, s.ProgramFolder);
        QVERIFY(!QFile::exists(s.settingsPath()));
    }

    // Guards a declined folder in the browser: the dialog stays open, the
    // configuration box keeps the rejected text and the settings count as missing.
    void browseDeclined() {
        TestContext t;
        t.folder.state.FilePath = t.folder.state.ProgramFolder;
        QLineEdit configBox;
        FrmBrowse dlg(t.ctx, &configBox);
        const QString wanted = t.folder.path(QStringLiteral("nowhere"));
        box(dlg, "txtPath")->setText(wanted);
        t.platform.answers.push_back(Answer::No);
        dlg.cmdExit();
        QVERIFY(dlg.result() != QDialog::Accepted);
        QCOMPARE(t.folder.state.FilePath, t.folder.state.ProgramFolder);
        QCOMPARE(box(dlg, "txtPath")->text(), t.folder.state.ProgramFolder);
        QCOMPARE(configBox.text(), wanted);
        QVERIFY(t.folder.state.IniMissing);
    }
};

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
