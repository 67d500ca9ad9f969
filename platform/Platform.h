#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

class QObject;

namespace varilume {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Critical, Question, Exclamation };
enum class Answer { Ok, Cancel, Yes, No };

/// Settings of an open or save file dialog. The filter uses the "Text|pattern|"
/// form ("All Files (*.*)|*.*|"); filterIndex counts from 1.
struct FileDialogSpec {
    QString fileName;
    QString filter;
    int filterIndex = 1;
    QString initialFolder;
};

/// The thin layer over the host's window system, dialogs, printers and shell.
/// Every message box and modal window goes through it, so tests can replace it
/// with a scripted double that reads the message and chooses the answer.
class Platform {
public:
    virtual ~Platform() = default;

    /// Modal message box; returns the button chosen.
    virtual Answer message(const QString& text, const QString& title, Buttons buttons,
                           Icon icon) = 0;
    /// File dialogs; std::nullopt when the user cancels.
    virtual std::optional<QString> openFile(const FileDialogSpec& spec) = 0;
    virtual std::optional<QString> saveFile(const FileDialogSpec& spec) = 0;
    /// Colour chooser returning an RGB value R + 256*G + 65536*B; nullopt on Cancel.
    virtual std::optional<std::int32_t> chooseColor(std::int32_t initial) = 0;
    /// Runs one of the program's own modal windows (a dialog of the window
    /// layer) until it closes; returns its result code (0 when rejected).
    virtual int execDialog(QObject& dialog) = 0;

    /// Installed printers in system order, and the default one ("" when none).
    virtual QStringList printerNames() = 0;
    virtual QString defaultPrinterName() = 0;

    /// Desktop shell: open a document or address with its associated program.
    virtual bool openUrl(const QString& url) = 0;

    /// Lets pending window events run (called by long loops, by time).
    virtual void processEvents() = 0;
    /// How often long loops yield, in milliseconds: often enough for the window
    /// to answer, rarely enough to cost nothing.
    virtual int yieldIntervalMs() const { return 8; }
    /// Hourglass pointer on or off.
    virtual void setBusyCursor(bool busy) = 0;

    /// Shorthand for the program's error convention:
    /// Error "<description>" encountered in module <module>.
    void reportError(const QString& description, const QString& module);
};

/// Text of the program's error convention.
QString errorText(const QString& description, const QString& module);

} // namespace varilume
