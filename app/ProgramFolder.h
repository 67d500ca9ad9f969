#pragma once

#include <QString>

namespace varilume {

/// Where the program may keep its files, as seen at start.
struct FolderPlan {
    QString executableFolder;
    bool executableFolderWritable = true;
    /// The installed read-only data (template, samples, manual); may not exist.
    QString installedData;
    /// The per-user data folder of the desktop (QStandardPaths::AppDataLocation).
    QString perUserFolder;
};

/// The folder chosen, and what happened on the way.
struct ProgramFolderChoice {
    QString folder;
    bool perUser = false;
    bool seeded = false; // the per-user folder was made and filled just now
    QString error;       // set when the per-user folder could not be prepared
};

/// A build folder or an unpacked folder (the template beside a writable
/// executable) stays the program folder, exactly as always. Otherwise the
/// program keeps its files in the per-user folder, filled at its first start
/// with the template, the sample stars (files/) and the manual
/// (Documentation/) from beside the executable or from the installed data; a
/// changed template or manual (an upgrade) replaces the copy there, the
/// samples are copied only that first time. Without any template the executable's folder is
/// kept, so the start-up reports the missing template.
ProgramFolderChoice chooseProgramFolder(const FolderPlan& plan);

/// True when a file can be made in the folder (tried, then removed).
bool folderIsWritable(const QString& folder);

} // namespace varilume
