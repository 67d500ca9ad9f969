#pragma once

#include "platform/Platform.h"

#include <QCoreApplication>
#include <cstdio>

namespace varilume {

/// The platform for tools that run the program's routines without a user (the
/// benchmark, the manual's screenshots): messages go to stderr and are
/// counted, dialogs are cancelled, there are no printers and no desktop.
class QuietPlatform : public Platform {
public:
    int messagesShown = 0;

    Answer message(const QString& text, const QString& title, Buttons, Icon) override {
        std::fprintf(stderr, "message [%s] %s\n", qPrintable(title), qPrintable(text));
        ++messagesShown;
        return Answer::Ok;
    }
    std::optional<QString> openFile(const FileDialogSpec&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogSpec&) override { return std::nullopt; }
    std::optional<std::int32_t> chooseColor(std::int32_t) override { return std::nullopt; }
    int execDialog(QObject&) override { return 0; }
    QStringList printerNames() override { return {}; }
    QString defaultPrinterName() override { return {}; }
    ShellResult openUrl(const QString&) override { return ShellResult::Failed; }
    ShellResult openPath(const QString&) override { return ShellResult::Failed; }
    void processEvents() override { QCoreApplication::processEvents(); }
    void setBusyCursor(bool) override {}
};

} // namespace varilume
