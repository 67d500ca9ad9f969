#include "ui/platform/QtPlatform.h"

#include "canvas/Canvas.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QUrl>

namespace varilume {

Answer QtPlatform::message(const QString& text, const QString& title, Buttons buttons, Icon icon) {
    QMessageBox box(owner_);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return Answer::Cancel;
    }
}

QStringList QtPlatform::qtFilters(const QString& filter) {
    QStringList out;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            continue;
        QString patterns = parts[i + 1];
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*")).replace(u';', u' ');
        QString label = parts[i];
        label.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
        // Qt reads the patterns from the parentheses of the label.
        out << (label.contains(u'(') ? label : label + QStringLiteral(" (") + patterns + u')');
    }
    return out;
}

std::optional<SaveChoice> QtPlatform::fileDialog(const FileDialogSpec& spec, bool save) {
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = qtFilters(spec.filter);
    dialog.setNameFilters(filters);
    if (spec.filterIndex >= 1 && spec.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[spec.filterIndex - 1]);
    if (!spec.initialFolder.isEmpty())
        dialog.setDirectory(spec.initialFolder);
    if (!spec.fileName.isEmpty())
        dialog.selectFile(spec.fileName);
    const auto filterNumber = [&](const QString& name) {
        const qsizetype chosen = filters.indexOf(name);
        return chosen >= 0 ? int(chosen) + 1 : spec.filterIndex;
    };
    if (save) {
        // The dialog adds the extension itself, so that its overwrite question
        // asks about the file that will be written.
        dialog.setDefaultSuffix(saveSuffix(spec, filterNumber(dialog.selectedNameFilter())));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& name) {
            dialog.setDefaultSuffix(saveSuffix(spec, filterNumber(name)));
        });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const int chosen = filterNumber(dialog.selectedNameFilter());
    QString path = dialog.selectedFiles().front();
    if (save)
        path = withSaveSuffix(path, spec, chosen);
    return SaveChoice{path, chosen};
}

std::optional<QString> QtPlatform::openFile(const FileDialogSpec& spec) {
    const auto choice = fileDialog(spec, false);
    return choice ? std::optional<QString>(choice->path) : std::nullopt;
}

std::optional<QString> QtPlatform::saveFile(const FileDialogSpec& spec) {
    const auto choice = fileDialog(spec, true);
    return choice ? std::optional<QString>(choice->path) : std::nullopt;
}

std::optional<SaveChoice> QtPlatform::saveFileAs(const FileDialogSpec& spec) {
    return fileDialog(spec, true);
}

std::optional<std::int32_t> QtPlatform::chooseColor(std::int32_t initial) {
    const QColor c = QColorDialog::getColor(rgbColor(initial), owner_);
    if (!c.isValid())
        return std::nullopt;
    return rgbValue(c);
}

int QtPlatform::execDialog(QObject& dialog) {
    auto* window = qobject_cast<QDialog*>(&dialog);
    return window ? window->exec() : QDialog::Rejected;
}

QStringList QtPlatform::printerNames() {
    return QPrinterInfo::availablePrinterNames();
}

QString QtPlatform::defaultPrinterName() {
    return QPrinterInfo::defaultPrinterName();
}

PrintOutcome QtPlatform::printPage(const PrintJob& job,
                                   const std::function<bool(QPaintDevice&)>& draw) {
    QPrinter printer(QPrinter::HighResolution);
    const bool toFile = !job.pdfFile.isEmpty();
    bool madeFile = false;
    if (toFile) {
        // Qt's PDF engine opens the file itself and keeps the reason of a
        // failure to itself; opening it here first gives the reason, without
        // emptying a file that is there.
        madeFile = !QFile::exists(job.pdfFile);
        QFile probe(job.pdfFile);
        if (!probe.open(QIODevice::Append))
            return {PrintOutcome::FileFailed, probe.errorString()};
        probe.close();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(job.pdfFile);
    } else if (!job.printerName.isEmpty()) {
        printer.setPrinterName(job.printerName);
    }
    if (!toFile && (printer.outputFormat() != QPrinter::NativeFormat || !printer.isValid()))
        return {PrintOutcome::PrinterFailed, QStringLiteral("No printer is available.")};
    printer.setDocName(job.documentName);
    printer.setPageOrientation(job.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setResolution(job.dpi);
    if (draw(printer))
        return {};
    if (madeFile)
        QFile::remove(job.pdfFile);
    return {toFile ? PrintOutcome::FileFailed : PrintOutcome::PrinterFailed,
            QStringLiteral("The page could not be sent.")};
}

namespace {

// Qt hands web addresses to xdg-open or to one of a few known browsers; when
// none of them is installed there is nothing that could show the page.
bool desktopHasBrowser() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (const char* program : {"xdg-open", "x-www-browser", "firefox", "chromium", "google-chrome",
                                "kde-open", "gnome-open"})
        if (!QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
            return true;
    return false;
#else
    return true;
#endif
}

} // namespace

ShellResult QtPlatform::openUrl(const QString& url) {
    if (!desktopHasBrowser())
        return ShellResult::NoHandler;
    return QDesktopServices::openUrl(QUrl(url, QUrl::StrictMode)) ? ShellResult::Opened
                                                                  : ShellResult::Failed;
}

ShellResult QtPlatform::openPath(const QString& path) {
    // A web page needs a browser; without one the desktop would start nothing.
    const QString suffix = QFileInfo(path).suffix().toLower();
    if ((suffix == u"html" || suffix == u"htm") && !desktopHasBrowser())
        return ShellResult::NoHandler;
    // A file URL keeps blanks and other odd characters of the path intact.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? ShellResult::Opened
                                                                : ShellResult::Failed;
}

void QtPlatform::processEvents() {
    QCoreApplication::processEvents();
}

bool QtPlatform::ctrlHeld() const {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

void QtPlatform::setBusyCursor(bool busy) {
    if (busy) {
        if (busyDepth_++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

} // namespace varilume
