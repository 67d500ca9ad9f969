#include "ui/dialogs/ShellCommands.h"

#include "platform/FileSystem.h"
#include "settings/Settings.h"
#include "ui/dialogs/FrmDataUrl.h"

#include <QDialog>
#include <QUrl>

namespace varilume {

QString documentationPath(const QString& programFolder) {
    return programFolder + QStringLiteral("/Documentation/Documentation.html");
}

std::optional<QString> mnuDocs(Context& ctx) {
    const QString manual = documentationPath(ctx.state.ProgramFolder);
    if (!FileExists(manual))
        return QStringLiteral("Manual not found: ") + manual;
    switch (ctx.platform.openPath(manual)) {
    case ShellResult::Opened:
        return QString();
    case ShellResult::NoHandler:
        return QStringLiteral("No web browser was found to show the manual ") + manual;
    case ShellResult::Failed:
        break;
    }
    return QStringLiteral("The manual could not be opened in the web browser.");
}

std::optional<QString> mnuManage(Context& ctx) {
    // The files folder is made at start; someone may have removed it since.
    const QString folder = ctx.state.ProgramFolder + QStringLiteral("/files");
    if (!CreateFolder(folder))
        return QStringLiteral("The folder ") + folder + QStringLiteral(" cannot be created.");
    if (ctx.platform.openPath(folder) != ShellResult::Opened)
        return QStringLiteral("The file manager could not be started on ") + folder +
               QStringLiteral(".");
    return std::nullopt;
}

std::optional<QString> mnuViewer(Context& ctx) {
    const auto file = ctx.platform.openFile(
        {QString(), QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"), 1,
         ctx.state.FilePath, QString()});
    if (!file || file->isEmpty())
        return std::nullopt;
    if (ctx.platform.openPath(*file) != ShellResult::Opened)
        return QStringLiteral("No text editor could be started for ") + *file + QStringLiteral(".");
    return std::nullopt;
}

void OpenURL(Context& ctx, const QString& url) {
    switch (ctx.platform.openUrl(url)) {
    case ShellResult::Opened:
        return;
    case ShellResult::NoHandler:
        ctx.platform.message(QStringLiteral("Could not find associated Browser"),
                             QStringLiteral("Browser Not Found"), Buttons::Ok, Icon::Exclamation);
        return;
    case ShellResult::Failed:
        ctx.platform.message(QStringLiteral("Web Page not Opened"), QStringLiteral("URL Failed"),
                             Buttons::Ok, Icon::Exclamation);
        return;
    }
}

std::optional<QString> mnuWebSite(Context& ctx, QWidget* parent) {
    ProjectState& s = ctx.state;
    if (!isWebAddress(s.DataURL)) {
        FrmDataUrl ask(ctx, parent);
        if (ctx.platform.execDialog(ask) != QDialog::Accepted)
            return std::nullopt;
        s.DataURL = ask.address();
        QString error;
        if (!WriteSettings(s, &error))
            return error; // the address still holds for this run
    }
    OpenURL(ctx, s.DataURL);
    return std::nullopt;
}

} // namespace varilume
