#include "support/Files.h"
#include "support/TestContext.h"
#include "ui/dialogs/FrmConfig.h"
#include "ui/dialogs/FrmDataUrl.h"
#include "ui/dialogs/ShellCommands.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace varilume;
using varilume::test::readFile;
using varilume::test::TestContext;
using varilume::test::writeFile;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

const QString kPage = QStringLiteral("https://archive.example.org/data?star=R%20Leo");

// Script for the address question: types text and presses a button.
std::function<void(QDialog&)> answerAddress(const QString& text, const char* button) {
    return [text, button](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("txtDataURL"))->setText(text);
        d.findChild<QPushButton*>(QLatin1String(button))->click();
    };
}

QStringList listing(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT
private slots:
    // Guards "Documentation": the manual's path reaches the desktop; a missing
    // manual or a failed launch is said in the status panel, never in a box.
    void documentation_data() {
        QTest::addColumn<bool>("manualPresent");
        QTest::addColumn<ShellResult>("shell");
        QTest::addColumn<bool>("launched");
        QTest::addColumn<QString>("panel");
        QTest::addRow("opened, panel cleared") << true << ShellResult::Opened << true << "";
        QTest::addRow("manual missing")
            << false << ShellResult::Opened << false << "Manual not found: ";
        QTest::addRow("browser failed") << true << ShellResult::Failed << true
                                        << "The manual could not be opened in the web browser.";
        QTest::addRow("no browser at all") << true << ShellResult::NoHandler << true
                                           << "No web browser was found to show the manual ";
    }
    void documentation() {
        QFETCH(bool, manualPresent);
        QFETCH(ShellResult, shell);
        QFETCH(bool, launched);
        QFETCH(QString, panel);
        TestContext t;
        const QString manual = documentationPath(t.folder.state.ProgramFolder);
        QCOMPARE(manual, t.folder.path(QStringLiteral("Documentation/Documentation.html")));
        if (manualPresent) {
            QDir(t.folder.state.ProgramFolder).mkdir(QStringLiteral("Documentation"));
            QVERIFY(writeFile(manual, "<html></html>"));
        }
        t.platform.shellResults.push_back(shell);
        const auto note = mnuDocs(t.ctx);
        QVERIFY(note);
        if (panel.endsWith(u' '))
            panel += manual;
        QCOMPARE(*note, panel);
        QCOMPARE(t.platform.openedPaths.size(), size_t(launched ? 1 : 0));
        if (launched)
            QCOMPARE(t.platform.openedPaths[0], manual);
        QCOMPARE(t.platform.messages.size(), size_t(0));
    }

    // Guards "Manage Files" and "View Files": the folder or the chosen file
    // (blanks and all) reaches the desktop; Cancel starts nothing; a failure
    // is a status note, not a box.
    void filesAndViewer_data() {
        QTest::addColumn<bool>("viewer");
        QTest::addColumn<QString>("chosen"); // relative to the program folder; null: Cancel
        QTest::addColumn<ShellResult>("shell");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<std::optional<QString>>("note");
        QTest::addRow("manage opens the files folder")
            << false << QString() << ShellResult::Opened << "files" << std::optional<QString>();
        QTest::addRow("file manager failed")
            << false << QString() << ShellResult::Failed << "files"
            << std::optional<QString>(QStringLiteral("The file manager could not be started on "));
        QTest::addRow("viewer hands a path with blanks whole")
            << true << "files/R Leo 2024 obs.txt" << ShellResult::Opened
            << "files/R Leo 2024 obs.txt" << std::optional<QString>();
        QTest::addRow("viewer cancelled starts nothing")
            << true << QString() << ShellResult::Opened << QString() << std::optional<QString>();
        QTest::addRow("no text editor")
            << true << "files/a.txt" << ShellResult::NoHandler << "files/a.txt"
            << std::optional<QString>(QStringLiteral("No text editor could be started for "));
    }
    void filesAndViewer() {
        QFETCH(bool, viewer);
        QFETCH(QString, chosen);
        QFETCH(ShellResult, shell);
        QFETCH(QString, opened);
        QFETCH(std::optional<QString>, note);
        TestContext t;
        ProjectState& s = t.folder.state;
        s.FilePath = s.FilesFolder;
        QDir(s.FilesFolder).removeRecursively(); // removed since start: made again
        t.platform.files.push_back(chosen.isNull() ? QString() : t.folder.path(chosen));
        t.platform.shellResults.push_back(shell);
        const auto got = viewer ? mnuViewer(t.ctx) : mnuManage(t.ctx);
        if (viewer) {
            QCOMPARE(t.platform.fileRequests.size(), size_t(1));
            const FileDialogSpec& spec = t.platform.fileRequests[0].spec;
            QCOMPARE(spec.filter, QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
            QCOMPARE(spec.initialFolder, s.FilesFolder);
        } else {
            QVERIFY(QFileInfo(s.FilesFolder).isDir());
        }
        QCOMPARE(t.platform.openedPaths.size(), size_t(opened.isNull() ? 0 : 1));
        if (!opened.isNull())
            QCOMPARE(t.platform.openedPaths[0], t.folder.path(opened));
        QCOMPARE(got.has_value(), note.has_value());
        if (note)
            QVERIFY2(got->startsWith(*note) && got->contains(t.folder.path(opened)),
                     qPrintable(*got));
        QCOMPARE(t.platform.messages.size(), size_t(0));
        QVERIFY(t.platform.openedUrls.empty());
    }

    // Guards "Download Data File (WWW)": the first use asks for the address and
    // keeps it; a kept address is used without asking; a desktop without a
    // browser or a failed launch gets its message; no file is left anywhere.
    void webSite_data() {
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QStringList>("typed"); // one entry per question shown; "" cancels
        QTest::addColumn<ShellResult>("shell");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QStringList>("titles");
        QTest::addRow("first use asks, keeps and opens")
            << "" << QStringList{kPage} << ShellResult::Opened << kPage << QStringList{};
        QTest::addRow("first use cancelled")
            << "" << QStringList{""} << ShellResult::Opened << QString() << QStringList{};
        QTest::addRow("not a web address, then a good one")
            << "" << QStringList{"file:///bin/sh", kPage} << ShellResult::Opened << kPage
            << QStringList{"Data Download Page"};
        QTest::addRow("kept address opens without a question")
            << kPage << QStringList{} << ShellResult::Opened << kPage << QStringList{};
        QTest::addRow("kept address that is not a web address asks again")
            << "javascript:alert(1)" << QStringList{""} << ShellResult::Opened << QString()
            << QStringList{};
        QTest::addRow("no browser") << kPage << QStringList{} << ShellResult::NoHandler << kPage
                                    << QStringList{"Browser Not Found"};
        QTest::addRow("launch failed")
            << kPage << QStringList{} << ShellResult::Failed << kPage << QStringList{"URL Failed"};
    }
    void webSite() {
        QFETCH(QString, kept);
        QFETCH(QStringList, typed);
        QFETCH(ShellResult, shell);
        QFETCH(QString, opened);
        QFETCH(QStringList, titles);
        TestContext t;
        ProjectState& s = t.folder.state;
        s.DataURL = kept;
        const QStringList before = listing(s.ProgramFolder);
        // All questions run inside the one modal dialog, as a user would answer them.
        t.platform.dialogScripts.push_back([&typed](QDialog& d) {
            for (const QString& text : typed) {
                answerAddress(text, text.isEmpty() ? "cmdCancel" : "cmdOK")(d);
                if (d.result() == QDialog::Accepted)
                    break;
            }
        });
        t.platform.shellResults.push_back(shell);
        const auto note = mnuWebSite(t.ctx, nullptr);
        QVERIFY(!note);
        QCOMPARE(t.platform.dialogsShown.size(), size_t(typed.isEmpty() ? 0 : 1));
        QCOMPARE(t.platform.openedUrls.size(), size_t(opened.isNull() ? 0 : 1));
        if (!opened.isNull())
            QCOMPARE(t.platform.openedUrls[0], opened);
        QStringList shownTitles;
        for (const auto& m : t.platform.messages) {
            shownTitles << m.title;
            QCOMPARE(m.icon, Icon::Exclamation);
        }
        QCOMPARE(shownTitles, titles);
        if (shell == ShellResult::NoHandler)
            QCOMPARE(t.platform.messages[0].text,
                     QStringLiteral("Could not find associated Browser"));
        if (shell == ShellResult::Failed)
            QCOMPARE(t.platform.messages[0].text, QStringLiteral("Web Page not Opened"));
        QVERIFY(t.platform.openedPaths.empty());
        // The address given at the question is kept at once; nothing else is written.
        const bool asked = !typed.isEmpty() && !opened.isNull();
        QStringList expected = before;
        if (asked) {
            expected << QStringLiteral("Varilume.ini");
            expected.sort(Qt::CaseInsensitive);
            QCOMPARE(s.DataURL, kPage);
            QVERIFY(readFile(s.settingsPath())->contains("DataURL=" + kPage.toUtf8() + "\r\n"));
        } else {
            QCOMPARE(s.DataURL, kept);
        }
        QCOMPARE(listing(s.ProgramFolder), expected);
    }

    // Guards the address box of Configure: it shows the kept address, takes a
    // new one, clears it, and refuses one that is not a web address.
    void configureAddress_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("stored");
        QTest::addRow("changed") << "http://other.example.net/x" << true
                                 << "http://other.example.net/x";
        QTest::addRow("cleared: asked again at next use") << "  " << true << "";
        QTest::addRow("refused") << "ftp://example.org" << false << kPage;
        QTest::addRow("no host refused") << "https://" << false << kPage;
    }
    void configureAddress() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(QString, stored);
        TestContext t;
        ProjectState& s = t.folder.state;
        s.DataURL = kPage;
        s.FilePath = s.FilesFolder;
        FrmConfig dlg(t.ctx);
        auto* box = dlg.findChild<QLineEdit*>(QStringLiteral("txtDataURL"));
        QCOMPARE(box->text(), kPage);
        box->setText(typed);
        dlg.cmdEnter();
        QCOMPARE(dlg.result() == QDialog::Accepted, accepted);
        QCOMPARE(s.DataURL, stored);
        QCOMPARE(t.platform.messages.size(), size_t(accepted ? 0 : 1));
        if (accepted)
            QVERIFY(readFile(s.settingsPath())->contains("DataURL=" + stored.toUtf8() + "\r\n"));
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
