#include "support/Files.h"

#include <QFile>
#include <QtDebug>

namespace varilume::test {

bool writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size() ||
        !f.flush()) {
        qWarning("cannot write %s: %s", qPrintable(path), qPrintable(f.errorString()));
        return false;
    }
    return true;
}

std::optional<QByteArray> readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

} // namespace varilume::test
