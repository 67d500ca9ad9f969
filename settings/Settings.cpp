#include "settings/Settings.h"

#include "format/NumberFormat.h"
#include "platform/Platform.h"
#include "store/State.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace varilume {

namespace {

const QString kSection = QStringLiteral("[Varilume.exe]");
const QString kFileName = QStringLiteral("Varilume.ini");

// Stores one key's value; unknown keys and values that are not numbers are
// ignored, so a damaged line keeps that setting at its start value.
void applySetting(ProjectState& state, QStringView key, QStringView value) {
    if (key == u"FilePath") {
        state.FilePath = value.toString();
        return;
    }
    if (key == u"Increment") {
        if (auto v = fmt::parseNumber(value))
            state.Increment = static_cast<float>(*v);
        return;
    }
    for (const ColorClass& c : kColorClasses) {
        if (key == QLatin1String(c.key)) {
            if (auto v = fmt::parseNumber(value))
                state.*(c.member) = *v;
            return;
        }
    }
}

QStringView chompCr(QStringView line) {
    return line.endsWith(u'\r') ? line.chopped(1) : line;
}

} // namespace

void ReadSettings(ProjectState& state, Platform& platform) {
    // The listing, not the file system, decides: "varilume.ini" does not count.
    const QStringList names = QDir(state.ProgramFolder).entryList(QDir::Files);
    if (!names.contains(kFileName, Qt::CaseSensitive)) {
        state.IniMissing = true;
        return;
    }
    QFile file(state.settingsPath());
    if (!file.open(QIODevice::ReadOnly)) {
        state.IniMissing = true;
        return;
    }
    const QString content = QString::fromLocal8Bit(file.readAll());
    file.close();
    const QList<QStringView> lines = QStringView(content).split(u'\n');
    if (lines.isEmpty() || chompCr(lines.front()) != kSection)
        platform.message(QStringLiteral("File Varilume.ini missing or corrupted."),
                         QStringLiteral("INI File Missing"), Buttons::OkCancel, Icon::None);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringView line = chompCr(lines[i]);
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        applySetting(state, line.left(eq), line.mid(eq + 1));
    }
}

bool WriteSettings(const ProjectState& state, QString* error) {
    QString text = kSection + QStringLiteral("\r\n");
    text += QStringLiteral("FilePath=") + state.FilePath + QStringLiteral("\r\n");
    text += QStringLiteral("Increment=") + fmt::pattern(state.Increment, u"#0.0###", 7) +
            QStringLiteral("\r\n");
    for (const ColorClass& c : kColorClasses)
        text +=
            QLatin1String(c.key) + u'=' + fmt::general(state.*(c.member)) + QStringLiteral("\r\n");

    QSaveFile file(state.settingsPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toLocal8Bit()) < 0 || !file.commit()) {
        if (error)
            *error =
                QStringLiteral("Cannot write %1: %2").arg(state.settingsPath(), file.errorString());
        return false;
    }
    return true;
}

} // namespace varilume
