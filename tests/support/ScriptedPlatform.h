#pragma once

#include "platform/Platform.h"

#include <QImage>
#include <QObject>
#include <deque>
#include <functional>
#include <optional>
#include <type_traits>
#include <vector>

namespace varilume::test {

namespace detail {
template <typename F> struct ScriptArg : ScriptArg<decltype(&F::operator())> {};
template <typename C, typename R, typename A> struct ScriptArg<R (C::*)(A) const> {
    using type = std::remove_reference_t<A>;
};
template <typename C, typename R, typename A> struct ScriptArg<R (C::*)(A)> {
    using type = std::remove_reference_t<A>;
};
} // namespace detail

/// What drives one modal window in a test. It is written against the window
/// type it expects (`[](QDialog& d) { ... }`); the platform only knows a
/// QObject, so the cast and the reading of the result happen here, in the test
/// that knows the window classes, and the double itself needs no widgets.
class DialogScript {
public:
    template <typename F> DialogScript(F script) {
        using Window = typename detail::ScriptArg<F>::type;
        run_ = [script = std::move(script)](QObject& object) mutable {
            auto& window = static_cast<Window&>(object);
            if constexpr (requires { window.setResult(0); })
                window.setResult(0);
            script(window);
            if constexpr (requires { window.result(); })
                return int(window.result());
            else
                return 0;
        };
    }
    /// Drives the window; returns its result code afterwards.
    int operator()(QObject& window) { return run_(window); }

private:
    std::function<int(QObject&)> run_;
};

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
    /// Paths the file dialogs return in turn; a null QString is Cancel. A save
    /// dialog adds the extension of its filter to a name without one, as the
    /// real one does. kProposed takes what the dialog offers, as Save pressed
    /// without typing: the proposed name in the folder it opened in.
    std::deque<QString> files;
    inline static const QString kProposed = QStringLiteral("<proposed>");
    std::deque<std::optional<std::int32_t>> colors;
    /// Each modal window shown takes the next script, which drives it (fills
    /// boxes, clicks buttons); without one the window is rejected.
    std::deque<DialogScript> dialogScripts;
    std::vector<QString> dialogsShown; // objectName of each modal window
    std::vector<QString> openedUrls;   // every web address handed to the shell
    std::vector<QString> openedPaths;  // every local file or folder handed to it
    /// Answers of the shell in turn; an empty queue means it opened.
    std::deque<ShellResult> shellResults;
    QStringList printers;
    QString defaultPrinter;
    /// Filters chosen in turn in save dialogs that report one (from 1); when
    /// empty, the filter the dialog opened with.
    std::deque<int> chosenFilters;
    /// Each page printed: the job and what was drawn, on a white page of
    /// printPageSize at printDpi standing in for the printer's paper.
    struct PrintedPage {
        PrintJob job;
        QImage page;
    };
    std::vector<PrintedPage> printedPages;
    QSize printPageSize{1100, 850};
    int printDpi = 100;
    /// When set, every print job fails this way (a printer that is off).
    std::optional<PrintOutcome> printFailure;
    /// Hourglass requests not yet undone.
    int busyDepth = 0;
    /// Called from processEvents(), to act in the middle of a long loop.
    std::function<void()> onProcessEvents;
    /// 0 makes long loops yield at every chance, so a test can act mid-loop.
    int yieldInterval = 8;
    /// Whether Ctrl is down on the keyboard, as the step commands ask.
    bool ctrl = false;

    Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    std::optional<QString> openFile(const FileDialogSpec& spec) override;
    std::optional<QString> saveFile(const FileDialogSpec& spec) override;
    std::optional<SaveChoice> saveFileAs(const FileDialogSpec& spec) override;
    std::optional<std::int32_t> chooseColor(std::int32_t initial) override;
    int execDialog(QObject& dialog) override;
    QStringList printerNames() override { return printers; }
    QString defaultPrinterName() override { return defaultPrinter; }
    PrintOutcome printPage(const PrintJob& job,
                           const std::function<bool(QPaintDevice&)>& draw) override;
    ShellResult openUrl(const QString& url) override;
    ShellResult openPath(const QString& path) override;
    void processEvents() override;
    void setBusyCursor(bool busy) override { busyDepth += busy ? 1 : -1; }
    bool ctrlHeld() const override { return ctrl; }
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
    ShellResult nextShellResult();
};

} // namespace varilume::test
