#include "platform/Platform.h"

#include <QFileInfo>

namespace varilume {

QString saveSuffix(const FileDialogSpec& spec, int filterIndex) {
    const QStringList parts = spec.filter.split(u'|');
    const qsizetype at = 2 * qsizetype(filterIndex - 1) + 1;
    if (filterIndex >= 1 && at < parts.size()) {
        const QString pattern = parts[at].trimmed();
        // One pattern of one plain extension: "*.txt", not "*.*" nor "*.bmp;*.png".
        if (pattern.startsWith(QStringLiteral("*.")) && !pattern.contains(u';') &&
            !pattern.contains(u' ') && !pattern.mid(2).contains(u'*'))
            return pattern.mid(2);
    }
    return spec.defaultSuffix;
}

QString withSaveSuffix(const QString& path, const FileDialogSpec& spec, int filterIndex) {
    const QString suffix = saveSuffix(spec, filterIndex);
    const QFileInfo info(path);
    if (path.isEmpty() || suffix.isEmpty() || !info.suffix().isEmpty() || info.isDir())
        return path;
    return path + u'.' + suffix;
}

QString errorText(const QString& description, const QString& module) {
    return QStringLiteral("Error \"") + description + QStringLiteral("\" encountered in module ") +
           module + QStringLiteral(".");
}

QString describe(const std::exception& e) {
    return QString::fromUtf8(e.what());
}

std::optional<SaveChoice> Platform::saveFileAs(const FileDialogSpec& spec) {
    const std::optional<QString> path = saveFile(spec);
    if (!path)
        return std::nullopt;
    return SaveChoice{*path, spec.filterIndex};
}

PrintOutcome Platform::printPage(const PrintJob&, const std::function<bool(QPaintDevice&)>&) {
    return {PrintOutcome::PrinterFailed, QStringLiteral("Printing is not available.")};
}

void Platform::reportError(const QString& description, const QString& module) {
    message(errorText(description, module), QStringLiteral("Error"), Buttons::Ok, Icon::None);
}

} // namespace varilume
