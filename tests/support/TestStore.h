#pragma once

#include "store/ObsStore.h"
#include "store/State.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace varilume::test {

/// A program folder in a temporary directory with a fresh store copied from
/// the template, bound and ready; each test builds its own.
struct TestFolder {
    QTemporaryDir dir;
    ProjectState state;
    ObsStore store;

    TestFolder() {
        state.ProgramFolder = dir.path();
        state.FilesFolder = dir.path() + QStringLiteral("/files");
        QDir(dir.path()).mkdir(QStringLiteral("files"));
        QFile::copy(QStringLiteral(VARILUME_TEMPLATE), state.templatePath());
        QFile::copy(QStringLiteral(VARILUME_TEMPLATE), state.storePath());
        QFile(state.storePath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile(state.templatePath())
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        store.bind(state.storePath());
    }
    QString path(const QString& name) const { return dir.filePath(name); }
};

/// The given columns of every stored row, in insertion order, joined by "|".
inline QStringList storedRows(ObsStore& store, const QStringList& columns) {
    QStringList out;
    Recordset rs = store.query(QStringLiteral("SELECT * FROM Obs ORDER BY ID ;"));
    while (!rs.eof()) {
        QStringList values;
        for (const QString& c : columns)
            values << rs.text(c);
        out << values.join(u'|');
        rs.moveNext();
    }
    return out;
}

} // namespace varilume::test
