#include "export/SaveDialogs.h"

#include <QDir>
#include <QFileInfo>

namespace varilume {

QString saveDialogFolder(const ProjectState& s) {
    // A folder removed since is passed over: the dialog would open nowhere.
    for (const QString& folder : {s.SaveFolder, s.FilePath, s.FilesFolder})
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    return s.FilePath.isEmpty() ? s.FilesFolder : s.FilePath;
}

QString starFileName(const ProjectState& s) {
    QString name = s.StarName.trimmed();
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' ||
            c == u'<' || c == u'>' || c == u'|' || c.category() == QChar::Other_Control)
            c = u'_';
    return name.isEmpty() ? QStringLiteral("star") : name;
}

FileDialogSpec saveDialogSpec(const ProjectState& s, const QString& ending, const QString& filter,
                              int filterIndex, const QString& defaultSuffix) {
    return {starFileName(s) + ending, filter, filterIndex, saveDialogFolder(s), defaultSuffix};
}

void rememberSave(ProjectState& s, const QString& path) {
    s.FileName = path;
    s.SaveFolder = QFileInfo(path).absolutePath();
}

} // namespace varilume
