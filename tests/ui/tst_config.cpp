#include "store/Context.h"
#include "support/ScriptedPlatform.h"
#include "support/TestStore.h"
#include "ui/dialogs/FrmBrowse.h"
#include "ui/dialogs/FrmConfig.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace varilume;
using varilume::test::ScriptedPlatform;
using varilume::test::TestFolder;

namespace {
QLineEdit* box(QWidget& w, const char* name) {
    return w.findChild<QLineEdit*>(QLatin1String(name));
}
QByteArray readIni(const ProjectState& s) {
    QFile f(s.settingsPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    // Guards the activation values: an empty folder becomes the files folder,
    // a zero increment shows as 1, a black colour shows as its default.
    void activationDefaults() {
        TestFolder t;
        ScriptedPlatform platform;
        Context ctx{t.state, t.store, platform};
        t.state.ColorR = 0;
        t.state.ColorV = 123;
        FrmConfig dlg(ctx);
        QCOMPARE(t.state.FilePath, t.state.ProgramFolder + QStringLiteral("/files"));
        QCOMPARE(box(dlg, "txtFilePath")->text(), t.state.FilePath);
        QCOMPARE(box(dlg, "txtIncrement")->text(), QStringLiteral("1"));
        QCOMPARE(dlg.buttonColor(7), std::int32_t(255)); // R default
        QCOMPARE(dlg.buttonColor(5), std::int32_t(123));
    }

    // Guards Enter: the zero colour and increment are stored as their defaults.
    void enterStoresValues() {
        TestFolder t;
        ScriptedPlatform platform;
        Context ctx{t.state, t.store, platform};
        t.state.IniMissing = true;
        FrmConfig dlg(ctx);
        dlg.cmdEnter();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(t.state.Increment, 1.0f);
        QCOMPARE(t.state.ColorR, DefaultColor::R);
        QVERIFY(!t.state.IniMissing);
        QVERIFY(readIni(t.state).contains("ColorR=255\r\n"));
    }

    // Guards the colour dialog: OK changes the button only until Enter; Cancel changes nothing.
    void pickColour() {
        TestFolder t;
        ScriptedPlatform platform;
        Context ctx{t.state, t.store, platform};
        t.state.ColorU = 5;
        FrmConfig dlg(ctx);
        platform.colors = {std::int32_t(777), std::nullopt};
        dlg.pickColor(4);
        QCOMPARE(dlg.buttonColor(4), std::int32_t(777));
        QCOMPARE(t.state.PointColor, std::int32_t(777));
        QCOMPARE(t.state.ColorU, 5.0);
        dlg.pickColor(4);
        QCOMPARE(dlg.buttonColor(4), std::int32_t(777));
        dlg.cmdEnter();
        QCOMPARE(t.state.ColorU, 777.0);
    }

    // Guards Reset Colors: defaults take effect at once and survive Cancel,
    // while the settings file keeps the old colours.
    void resetThenCancel() {
        TestFolder t;
        ScriptedPlatform platform;
        Context ctx{t.state, t.store, platform};
        t.state.ColorVIS = 42;
        t.state.FilePath = t.state.ProgramFolder;
        FrmConfig dlg(ctx);
        dlg.cmdEnter();
        QVERIFY(readIni(t.state).contains("ColorVIS=42\r\n"));
        FrmConfig again(ctx);
        box(again, "txtIncrement")->setText(QStringLiteral("7"));
        again.cmdReset();
        QCOMPARE(box(again, "txtIncrement")->text(), QStringLiteral("1"));
        again.reject();
        QCOMPARE(t.state.ColorVIS, DefaultColor::VIS);
        QCOMPARE(t.state.ColorCR, DefaultColor::CR);
        QVERIFY(readIni(t.state).contains("ColorVIS=42\r\n"));
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
        TestFolder t;
        ScriptedPlatform platform;
        Context ctx{t.state, t.store, platform};
        t.state.Increment = 0.5f;
        FrmConfig dlg(ctx);
        box(dlg, "txtIncrement")->setText(text);
        dlg.cmdEnter();
        QVERIFY(dlg.result() != QDialog::Accepted);
        QCOMPARE(t.state.Increment, 0.5f);
        QCOMPARE(platform.messages.size(), size_t(1));
        QVERIFY2(platform.messages[0].text.contains(QStringLiteral("increment")),
                 qPrintable(platform.transcript()));
        QVERIFY(!QFile::exists(t.state.settingsPath()));
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
        TestFolder t;
        ScriptedPlatform platform;
        Context ctx{t.state, t.store, platform};
        t.state.FilePath = t.state.ProgramFolder;
        FrmConfig dlg(ctx);
        const QString wanted = t.path(relative);
        box(dlg, "txtFilePath")->setText(wanted);
        platform.answers.push_back(static_cast<Answer>(answer));
        dlg.cmdEnter();
        QCOMPARE(dlg.result() == QDialog::Accepted, accepted);
        QCOMPARE(t.state.IniMissing, iniMissing);
        QCOMPARE(int(platform.messages.size()), messages);
        QCOMPARE(platform.messages[0].title, QStringLiteral("Folder Missing!"));
        QCOMPARE(platform.messages[0].text,
                 QStringLiteral("The folder ") + wanted +
                     QStringLiteral(" does not exist. Do you want to creat it?"));
        QCOMPARE(t.state.FilePath, accepted ? wanted : t.state.ProgramFolder);
        if (!accepted)
            QCOMPARE(box(dlg, "txtFilePath")->text(), t.state.ProgramFolder);
    }

    // Guards the folder browser: Cancel changes nothing; Enter hands the typed
    // path to the settings and to the configuration dialog's box.
    void browse() {
        TestFolder t;
        ScriptedPlatform platform;
        Context ctx{t.state, t.store, platform};
        t.state.FilePath = t.state.ProgramFolder;
        FrmConfig dlg(ctx);
        const QString target = t.state.FilesFolder;
        platform.dialogScripts.push_back([&](QDialog& d) {
            box(d, "txtPath")->setText(target);
            d.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        });
        dlg.cmdBrowse();
        QCOMPARE(t.state.FilePath, t.state.ProgramFolder);
        QCOMPARE(box(dlg, "txtFilePath")->text(), t.state.ProgramFolder);

        platform.dialogScripts.push_back([&](QDialog& d) {
            box(d, "txtPath")->setText(target);
            d.findChild<QPushButton*>(QStringLiteral("cmdExit"))->click();
        });
        dlg.cmdBrowse();
        QCOMPARE(t.state.FilePath, target);
        QCOMPARE(box(dlg, "txtFilePath")->text(), target);
    }

    // Guards a declined folder in the browser: the dialog stays open, the
    // configuration box keeps the rejected text and the settings count as missing.
    void browseDeclined() {
        TestFolder t;
        ScriptedPlatform platform;
        Context ctx{t.state, t.store, platform};
        t.state.FilePath = t.state.ProgramFolder;
        QLineEdit configBox;
        FrmBrowse dlg(ctx, &configBox);
        const QString wanted = t.path(QStringLiteral("nowhere"));
        box(dlg, "txtPath")->setText(wanted);
        platform.answers.push_back(Answer::No);
        dlg.cmdExit();
        QVERIFY(dlg.result() != QDialog::Accepted);
        QCOMPARE(t.state.FilePath, t.state.ProgramFolder);
        QCOMPARE(box(dlg, "txtPath")->text(), t.state.ProgramFolder);
        QCOMPARE(configBox.text(), wanted);
        QVERIFY(t.state.IniMissing);
    }
};

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
