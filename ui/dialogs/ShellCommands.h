#pragma once

#include "store/Context.h"

#include <QString>
#include <optional>

class QWidget;

namespace varilume {

/// The commands that hand work to the desktop's own programs. Each returns the
/// text for the main window's first status panel ("" to clear it), or nothing
/// when the panel is to stay as it is; message boxes go through the platform.

/// "Documentation": Documentation/Documentation.html of the program folder in the browser.
std::optional<QString> mnuDocs(Context& ctx);
/// "Manage Files": the program's files folder in the file manager.
std::optional<QString> mnuManage(Context& ctx);
/// "View Files": a file chosen in the data folder, in the desktop's text editor.
std::optional<QString> mnuViewer(Context& ctx);
/// "Download Data File (WWW)": the archive's data page in the browser. The
/// first use asks for the address and keeps it in the settings file.
std::optional<QString> mnuWebSite(Context& ctx, QWidget* parent);

/// Hands an address to the browser, with the two messages for a desktop that
/// has no browser or could not start it.
void OpenURL(Context& ctx, const QString& url);

/// Path of the manual below a program folder.
QString documentationPath(const QString& programFolder);

} // namespace varilume
