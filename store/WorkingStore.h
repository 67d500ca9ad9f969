#pragma once

namespace varilume {

struct ProjectState;
class Platform;

/// Makes the files folder when missing and copies Template.mdb over
/// Varilume.mdb. Returns false after telling the user when the program cannot
/// go on (the template is missing or the copy failed); the caller then ends it.
bool PrepareStore(ProjectState& state, Platform& platform);

} // namespace varilume
