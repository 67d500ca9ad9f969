#pragma once

#include <QString>

namespace varilume {

bool FolderExists(const QString& path);
/// Creates one folder level (its parent must exist); true when the folder exists afterwards.
bool CreateFolder(const QString& path);
bool FileExists(const QString& path);
/// Deletes a file, a read-only one too; true when it is gone afterwards.
bool DeleteFile(const QString& path);

} // namespace varilume
