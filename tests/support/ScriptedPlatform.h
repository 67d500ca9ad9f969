#pragma once

#include "platform/Platform.h"

#include <QDialog>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace varilume::test {

/// Platform double for tests: records every message box and dialog request and
/// answers from queues the test fills. An empty queue gives the first button
/// (OK or Yes) and a cancelled file or colour dialog.
class ScriptedPlatform : public Platform {
public:
    struct Message {
        QString text;
        QString title;
        Buttons buttons;
        Icon icon;
    };
    struct FileRequest {
        bool save;
        FileDialogSpec spec;
    };

    std::vector<Message> messages;
    std::vector<FileRequest> fileRequests;
    std::deque<Answer> answers;
    /// Paths the file dialogs return in turn; a null QString is Cancel.
    std::deque<QString> files;
    std::deque<std::optional<std::int32_t>> colors;
    /// Each modal window shown takes the next script, which drives it (fills
    /// boxes, clicks buttons); without one the window is rejected.
    std::deque<std::function<void(QDialog&)>> dialogScripts;
    std::vector<QString> dialogsShown; // objectName of each modal window
    std::vector<QString> openedUrls;
    QStringList printers;
    QString defaultPrinter;
    int processEventsCalls = 0;
    /// Called from processEvents(), to act in the middle of a long loop.
    std::function<void()> onProcessEvents;
    /// 0 makes long loops yield at every chance, so a test can act mid-loop.
    int yieldInterval = 8;

    Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    std::optional<QString> openFile(const FileDialogSpec& spec) override;
    std::optional<QString> saveFile(const FileDialogSpec& spec) override;
    std::optional<std::int32_t> chooseColor(std::int32_t initial) override;
    int execDialog(QDialog& dialog) override;
    QStringList printerNames() override { return printers; }
    QString defaultPrinterName() override { return defaultPrinter; }
    bool openUrl(const QString& url) override;
    void processEvents() override;
    void setBusyCursor(bool) override {}
    int yieldIntervalMs() const override { return yieldInterval; }

    /// Texts of all messages shown, for failure output.
    QString transcript() const;
    /// Texts of messages with this title.
    QStringList textsTitled(const QString& title) const;
    /// For each message, in order and joined by "; ": the module it names if it
    /// is an error report (title "Error", OK alone, no icon, text 'Error
    /// "<description>" encountered in module <module>.'), else the whole message
    /// in brackets, so that a failed comparison shows it.
    QString errorReports() const;

private:
    std::optional<QString> nextFile(bool save, const FileDialogSpec& spec);
};

} // namespace varilume::test
