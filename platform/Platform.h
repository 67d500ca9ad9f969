#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>

class QObject;
class QPaintDevice;

namespace varilume {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Critical, Question, Exclamation };
enum class Answer { Ok, Cancel, Yes, No };
/// What became of a request to the desktop shell.
enum class ShellResult { Opened, NoHandler, Failed };

/// Settings of an open or save file dialog. The filter uses the "Text|pattern|"
/// form ("All Files (*.*)|*.*|"); filterIndex counts from 1.
struct FileDialogSpec {
    QString fileName;
    QString filter;
    int filterIndex = 1;
    QString initialFolder;
    /// Extension a save dialog adds to a name typed without one, when the chosen
    /// filter names none of its own ("All Files").
    QString defaultSuffix;
};

/// The extension a save dialog adds to a name typed without one: that of the
/// chosen filter when it names a single one ("*.txt"), else the spec's default.
QString saveSuffix(const FileDialogSpec& spec, int filterIndex);
/// The path a save dialog returns for the name chosen: with saveSuffix added
/// when the name has no extension of its own.
QString withSaveSuffix(const QString& path, const FileDialogSpec& spec, int filterIndex);

/// What a save dialog returned: the path and the filter chosen (from 1).
struct SaveChoice {
    QString path;
    int filterIndex = 1;
};

/// One page for a printer. An empty printerName is the system's default
/// printer; a pdfFile makes a PDF file stand in for the printer.
struct PrintJob {
    QString printerName;
    QString pdfFile;
    QString documentName;
    int dpi = 300;
    bool landscape = true;
};

/// What became of a print job; reason says what went wrong.
struct PrintOutcome {
    enum Status { Printed, PrinterFailed, FileFailed } status = Printed;
    QString reason;
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
    /// Save dialog that also tells which filter was chosen; without a host that
    /// knows it, the filter the dialog opened with.
    virtual std::optional<SaveChoice> saveFileAs(const FileDialogSpec& spec);
    /// Colour chooser returning an RGB value R + 256*G + 65536*B; nullopt on Cancel.
    virtual std::optional<std::int32_t> chooseColor(std::int32_t initial) = 0;
    /// Runs one of the program's own modal windows (a dialog of the window
    /// layer) until it closes; returns its result code (0 when rejected).
    virtual int execDialog(QObject& dialog) = 0;

    /// Installed printers in system order, and the default one ("" when none).
    virtual QStringList printerNames() = 0;
    virtual QString defaultPrinterName() = 0;
    /// Opens the job's page, lets draw paint it (false when the drawing failed)
    /// and sends it. Without printing support every job fails.
    virtual PrintOutcome printPage(const PrintJob& job,
                                   const std::function<bool(QPaintDevice&)>& draw);

    /// Desktop shell: opens a web address in the browser; NoHandler when the
    /// desktop has no browser at all. Returns at once, without waiting.
    virtual ShellResult openUrl(const QString& url) = 0;
    /// Opens a local file or folder with the program the desktop associates
    /// with it (the file manager for a folder, the text editor for a text file).
    virtual ShellResult openPath(const QString& path) = 0;

    /// Lets pending window events run (called by long loops, by time).
    virtual void processEvents() = 0;
    /// How often long loops yield, in milliseconds: often enough for the window
    /// to answer, rarely enough to cost nothing.
    virtual int yieldIntervalMs() const { return 8; }
    /// Hourglass pointer on or off.
    virtual void setBusyCursor(bool busy) = 0;
    /// Whether Ctrl is held down now, asked of the keyboard itself: a release
    /// while another window had the keyboard is never seen as a key event.
    virtual bool ctrlHeld() const { return false; }

    /// Shorthand for the program's error convention:
    /// Error "<description>" encountered in module <module>.
    void reportError(const QString& description, const QString& module);
};

/// The description a caught failure carries (store and canvas errors keep
/// theirs as UTF-8, like the standard ones).
QString describe(const std::exception& e);

/// Text of the program's error convention.
QString errorText(const QString& description, const QString& module);

} // namespace varilume
