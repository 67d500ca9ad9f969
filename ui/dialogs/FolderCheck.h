#pragma once

#include "store/Context.h"

namespace varilume {

enum class FolderAnswer { Exists, Created, Declined, Failed };

/// Makes sure a data folder exists: asks "Folder Missing!" and creates it (one
/// level) on Yes. A folder that cannot be created is reported.
FolderAnswer ensureFolder(Platform& platform, const QString& path);

/// Makes `path` the data folder FilePath when it exists or is created on the
/// user's Yes. Otherwise FilePath keeps its value, a declined folder leaves the
/// settings counted as missing, and false comes back.
bool takeDataFolder(Context& ctx, const QString& path);

} // namespace varilume
