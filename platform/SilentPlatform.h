#pragma once

#include "platform/Platform.h"

namespace varilume {

/// A platform for runs without a user: no dialog opens, every message is kept
/// (the last one for the caller to report) and answered with the cautious
/// button, and nothing yields to a window.
class SilentPlatform : public Platform {
public:
    QStringList messages;
    Answer message(const QString& text, const QString&, Buttons buttons, Icon) override {
        messages << text;
        switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    }
    std::optional<QString> openFile(const FileDialogSpec&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogSpec&) override { return std::nullopt; }
    std::optional<std::int32_t> chooseColor(std::int32_t) override { return std::nullopt; }
    int execDialog(QObject&) override { return 0; }
    QStringList printerNames() override { return {}; }
    QString defaultPrinterName() override { return {}; }
    ShellResult openUrl(const QString&) override { return ShellResult::Failed; }
    ShellResult openPath(const QString&) override { return ShellResult::Failed; }
    void processEvents() override {}
    void setBusyCursor(bool) override {}
};

} // namespace varilume
