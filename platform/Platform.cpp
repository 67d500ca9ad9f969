#include "platform/Platform.h"

namespace varilume {

QString errorText(const QString& description, const QString& module) {
    return QStringLiteral("Error \"") + description + QStringLiteral("\" encountered in module ") +
           module + QStringLiteral(".");
}

QString describe(const std::exception& e) {
    return QString::fromUtf8(e.what());
}

void Platform::reportError(const QString& description, const QString& module) {
    message(errorText(description, module), QStringLiteral("Error"), Buttons::Ok, Icon::None);
}

} // namespace varilume
