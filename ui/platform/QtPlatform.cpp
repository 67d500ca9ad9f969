#include "ui/platform/QtPlatform.h"

#include "canvas/Canvas.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrinterInfo>
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

std::optional<QString> QtPlatform::fileDialog(const FileDialogSpec& spec, bool save) {
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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<QString> QtPlatform::openFile(const FileDialogSpec& spec) {
    return fileDialog(spec, false);
}

std::optional<QString> QtPlatform::saveFile(const FileDialogSpec& spec) {
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

bool QtPlatform::openUrl(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url));
}

void QtPlatform::processEvents() {
    QCoreApplication::processEvents();
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
