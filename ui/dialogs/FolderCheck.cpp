#include "ui/dialogs/FolderCheck.h"

#include "platform/FileSystem.h"

#include <QDir>

namespace varilume {

FolderAnswer ensureFolder(Platform& platform, const QString& path) {
    if (FolderExists(path))
        return FolderAnswer::Exists;
    const Answer a =
        platform.message(QStringLiteral("The folder ") + path +
                             QStringLiteral(" does not exist. Do you want to creat it?"),
                         QStringLiteral("Folder Missing!"), Buttons::YesNo, Icon::None);
    if (a != Answer::Yes)
        return FolderAnswer::Declined;
    if (!path.trimmed().isEmpty() && CreateFolder(path))
        return FolderAnswer::Created;
    platform.message(QStringLiteral("The folder ") + path +
                         QStringLiteral(" cannot be created. Check that its parent folder ") +
                         QDir::cleanPath(path + QStringLiteral("/..")) +
                         QStringLiteral(" exists and can be written, or choose another folder."),
                     QStringLiteral("Folder Missing!"), Buttons::Ok, Icon::Exclamation);
    return FolderAnswer::Failed;
}

} // namespace varilume
