#pragma once

#include "store/Context.h"

namespace varilume {

enum class FolderAnswer { Exists, Created, Declined, Failed };

/// Makes sure a data folder exists: asks "Folder Missing!" and creates it (one
/// level) on Yes. A folder that cannot be created is reported.
FolderAnswer ensureFolder(Platform& platform, const QString& path);

/// Whether `path` can be the data folder: it exists or is created on the
/// user's Yes. A declined folder leaves the settings counted as missing. The
/// caller saves the folder into FilePath once the rest of its entry is accepted.
bool dataFolderReady(Context& ctx, const QString& path);

} // namespace varilume
