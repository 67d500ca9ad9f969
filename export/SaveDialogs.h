#pragma once

#include "platform/Platform.h"
#include "store/State.h"

#include <QString>

namespace varilume {

/// Where a save dialog starts: the folder of the last save, else the data folder.
QString saveDialogFolder(const ProjectState& s);

/// A save dialog starting in saveDialogFolder and proposing the star's name
/// followed by ending (" Avg.txt"); defaultSuffix is added to a name typed
/// without an extension under a filter that names none.
FileDialogSpec saveDialogSpec(const ProjectState& s, const QString& ending, const QString& filter,
                              int filterIndex, const QString& defaultSuffix = QString());

/// The star's name as a file name: trimmed, without characters a path cannot
/// hold; "star" when nothing is left.
QString starFileName(const ProjectState& s);

/// Notes a file just saved: FileName takes the path, SaveFolder its folder.
void rememberSave(ProjectState& s, const QString& path);

} // namespace varilume
