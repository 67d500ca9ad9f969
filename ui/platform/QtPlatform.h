#pragma once

#include "platform/Platform.h"

#include <QPointer>
#include <QWidget>

namespace varilume {

/// The platform layer on Qt Widgets: message boxes, file and colour dialogs,
/// printers and the desktop shell.
class QtPlatform : public Platform {
public:
    /// Window that owns the dialogs (the main window once it exists).
    void setOwner(QWidget* owner) { owner_ = owner; }

    Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    std::optional<QString> openFile(const FileDialogSpec& spec) override;
    std::optional<QString> saveFile(const FileDialogSpec& spec) override;
    std::optional<std::int32_t> chooseColor(std::int32_t initial) override;
    int execDialog(QObject& dialog) override;
    QStringList printerNames() override;
    QString defaultPrinterName() override;
    bool openUrl(const QString& url) override;
    void processEvents() override;
    void setBusyCursor(bool busy) override;

    /// "All Files (*.*)|*.*|Text Files (*.txt)|*.txt|" to Qt's filter list.
    static QStringList qtFilters(const QString& filter);

private:
    std::optional<QString> fileDialog(const FileDialogSpec& spec, bool save);
    QPointer<QWidget> owner_;
    int busyDepth_ = 0;
};

} // namespace varilume
