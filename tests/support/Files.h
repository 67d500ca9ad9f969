#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace varilume::test {

/// Replaces the file at path with content; false, with a warning that names
/// the path and the system's reason, when it cannot.
bool writeFile(const QString& path, const QByteArray& content);
/// The whole file, or nothing when it cannot be read.
std::optional<QByteArray> readFile(const QString& path);

} // namespace varilume::test
