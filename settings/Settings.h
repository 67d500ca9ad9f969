#pragma once

class QString;

namespace varilume {

struct ProjectState;
class Platform;

/// How many of the files loaded last the "Files" menu offers.
inline constexpr int kMaxRecentFiles = 5;

/// Reads Varilume.ini from the program folder. A missing file (the name must
/// match exactly, letter case included) sets IniMissing and leaves every
/// setting at its start value.
void ReadSettings(ProjectState& state, Platform& platform);

/// Replaces Varilume.ini: the sixteen lines of the data folder, increment and
/// colours, then the data-page address, the window's place and size (once
/// known) and the files loaded last.
/// Returns false with a message in error when the file cannot be written.
bool WriteSettings(const ProjectState& state, QString* error = nullptr);

} // namespace varilume
