#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace varilume {

bool FolderExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool CreateFolder(const QString& path) {
    if (FolderExists(path))
        return true;
    QDir().mkdir(path);
    return FolderExists(path);
}

bool FileExists(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && !info.isDir();
}

bool DeleteFile(const QString& path) {
    if (!FileExists(path))
        return true;
    QFile file(path);
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
    file.remove();
    return !FileExists(path);
}

} // namespace varilume
