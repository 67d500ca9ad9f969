#pragma once

class QString;

namespace varilume {

struct ProjectState;
class Platform;

/// Reads Varilume.ini from the program folder. A missing file (the name must
/// match exactly, letter case included) sets IniMissing and leaves every
/// setting at its start value.
void ReadSettings(ProjectState& state, Platform& platform);

/// Replaces Varilume.ini with the sixteen lines of the current settings.
/// Returns false with a message in error when the file cannot be written.
bool WriteSettings(const ProjectState& state, QString* error = nullptr);

} // namespace varilume
