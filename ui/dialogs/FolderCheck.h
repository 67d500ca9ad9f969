#pragma once

#include "store/Context.h"

namespace varilume {

enum class FolderAnswer { Exists, Created, Declined, Failed };

/// Makes sure a data folder exists: asks "Folder Missing!" and creates it (one
/// level) on Yes. A folder that cannot be created is reported.
FolderAnswer ensureFolder(Platform& platform, const QString& path);

} // namespace varilume
