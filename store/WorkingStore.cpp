#include "store/WorkingStore.h"

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "store/State.h"

#include <QFile>

namespace varilume {

bool PrepareStore(ProjectState& state, Platform& platform) {
    state.FilesFolder = state.ProgramFolder + QStringLiteral("/files");
    if (!CreateFolder(state.FilesFolder))
        // Imports still work; only the rejected-line file cannot be written.
        platform.message(QStringLiteral("The folder ") + state.FilesFolder +
                             QStringLiteral(" cannot be created."),
                         QStringLiteral("Folder Missing!"), Buttons::Ok, Icon::Exclamation);

    const QString templatePath = state.templatePath();
    if (!FileExists(templatePath)) {
        platform.message(QStringLiteral("Database template ") + templatePath +
                             QStringLiteral(" missing."),
                         QStringLiteral("File Missing"), Buttons::Ok, Icon::Critical);
        return false;
    }
    const QString storePath = state.storePath();
    QFile source(templatePath);
    if (!DeleteFile(storePath) || !source.copy(storePath)) {
        platform.message(QStringLiteral("The working store ") + storePath +
                             QStringLiteral(" cannot be made from ") + templatePath +
                             QStringLiteral(": ") + source.errorString(),
                         QStringLiteral("File Missing"), Buttons::Ok, Icon::Critical);
        return false;
    }
    // A read-only template must not give a read-only store.
    QFile(storePath).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return true;
}

} // namespace varilume
