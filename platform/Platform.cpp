#include "platform/Platform.h"

namespace varilume {

QString errorText(const QString& description, const QString& module) {
    return QStringLiteral("Error \"") + description + QStringLiteral("\" encountered in module ") +
           module + QStringLiteral(".");
}

QString describe(const std::exception& e) {
    return QString::fromUtf8(e.what());
}

std::optional<SaveChoice> Platform::saveFileAs(const FileDialogSpec& spec) {
    const std::optional<QString> path = saveFile(spec);
    if (!path)
        return std::nullopt;
    return SaveChoice{*path, spec.filterIndex};
}

PrintOutcome Platform::printPage(const PrintJob&, const std::function<bool(QPaintDevice&)>&) {
    return {PrintOutcome::PrinterFailed, QStringLiteral("Printing is not available.")};
}

void Platform::reportError(const QString& description, const QString& module) {
    message(errorText(description, module), QStringLiteral("Error"), Buttons::Ok, Icon::None);
}

} // namespace varilume
