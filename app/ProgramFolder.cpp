#include "app/ProgramFolder.h"

#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace varilume {

namespace {

const QString kTemplate = QStringLiteral("/Template.mdb");

bool holdsTemplate(const QString& folder) {
    return !folder.isEmpty() && FileExists(folder + kTemplate);
}

bool sameContent(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    return fa.readAll() == fb.readAll();
}

// Copies a file when the target is missing or differs (an installed upgrade:
// times are no guide, as a package keeps its build time); false with the reason.
bool refresh(const QString& from, const QString& to, QString& error) {
    if (FileExists(to) && sameContent(from, to))
        return true;
    if (!DeleteFile(to)) {
        error = QStringLiteral("Cannot replace ") + to;
        return false;
    }
    QFile file(from);
    if (!file.copy(to)) {
        error = QStringLiteral("Cannot copy ") + from + QStringLiteral(" to ") + to +
                QStringLiteral(": ") + file.errorString();
        return false;
    }
    // Copies of read-only installed files must stay replaceable.
    QFile(to).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                             QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return true;
}

// Copies every file below from into to (folders made as needed).
bool copyTree(const QString& from, const QString& to, QString& error) {
    const QDir source(from);
    if (!source.exists())
        return true;
    if (!QDir().mkpath(to)) {
        error = QStringLiteral("Cannot create ") + to;
        return false;
    }
    for (const QFileInfo& entry :
         source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + u'/' + entry.fileName();
        const bool ok = entry.isDir() ? copyTree(entry.filePath(), target, error)
                                      : refresh(entry.filePath(), target, error);
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

bool folderIsWritable(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/.varilume-write-test-XXXXXX"));
    return probe.open(); // removed again when probe goes
}

ProgramFolderChoice chooseProgramFolder(const FolderPlan& plan) {
    ProgramFolderChoice choice;
    choice.folder = plan.executableFolder;
    const bool besideExecutable = holdsTemplate(plan.executableFolder);
    if (besideExecutable && plan.executableFolderWritable)
        return choice;
    const QString source = besideExecutable ? plan.executableFolder : plan.installedData;
    if (!holdsTemplate(source) || plan.perUserFolder.isEmpty())
        return choice;

    const QString folder = plan.perUserFolder;
    const bool first = !holdsTemplate(folder);
    QString error;
    bool ok = QDir().mkpath(folder);
    if (!ok)
        error = QStringLiteral("Cannot create ") + folder;
    ok = ok && refresh(source + kTemplate, folder + kTemplate, error) &&
         copyTree(source + QStringLiteral("/Documentation"),
                  folder + QStringLiteral("/Documentation"), error);
    // The samples are the user's to change or delete after the first start.
    if (ok && first)
        ok = copyTree(source + QStringLiteral("/files"), folder + QStringLiteral("/files"), error);
    if (!ok) {
        choice.error = QStringLiteral("The program folder ") + folder +
                       QStringLiteral(" cannot be prepared. ") + error + u'.';
        return choice;
    }
    choice.folder = folder;
    choice.perUser = true;
    choice.seeded = first;
    return choice;
}

} // namespace varilume
