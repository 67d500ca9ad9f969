#pragma once

namespace varilume {

struct Context;
struct ProjectState;
class Platform;

/// Makes the files folder when missing and copies Template.mdb over
/// Varilume.mdb. Returns false after telling the user when the program cannot
/// go on (the template is missing or the copy failed); the caller then ends it.
bool PrepareStore(ProjectState& state, Platform& platform);

/// Opens the prepared store. Returns false after telling the user when it
/// cannot be opened; the caller then ends the program.
bool OpenWorkingStore(Context& ctx);

} // namespace varilume
