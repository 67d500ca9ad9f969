#include "settings/Settings.h"

#include "format/NumberFormat.h"
#include "platform/Platform.h"
#include "store/State.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace varilume {

namespace {

const QString kSection = QStringLiteral("[Varilume.exe]");
const QString kFileName = QStringLiteral("Varilume.ini");

// A settings file this large was not written by the program; reading it whole
// would only cost memory.
constexpr qint64 kMaxSettingsBytes = 1 << 20;
// The largest increment the period box can still step from (a single's range).
constexpr double kMaxIncrement = 1e30;
struct WindowKey {
    const char* key;
    std::int32_t ProjectState::*member;
};
constexpr WindowKey kWindowKeys[] = {
    {"WindowLeft", &ProjectState::WindowLeft},
    {"WindowTop", &ProjectState::WindowTop},
    {"WindowWidth", &ProjectState::WindowWidth},
    {"WindowHeight", &ProjectState::WindowHeight},
};

// Stores one key's value; unknown keys and values that are not numbers are
// ignored, so a damaged line keeps that setting at its start value. An increment
// that is not a positive number of days would step the period below zero or to
// infinity; colours beyond 24 bits are no colours and are clamped.
void applySetting(ProjectState& state, QStringView key, QStringView value) {
    if (key == u"FilePath") {
        state.FilePath = value.toString();
        return;
    }
    if (key == u"DataURL") {
        state.DataURL = value.toString();
        return;
    }
    for (const WindowKey& w : kWindowKeys) {
        if (key == QLatin1String(w.key)) {
            const auto v = fmt::parseNumber(value);
            if (v && std::abs(*v) < 1e7)
                state.*(w.member) = static_cast<std::int32_t>(*v);
            return;
        }
    }
    if (key.startsWith(u"Recent") && key.size() == 7) {
        const int n = key.back().digitValue();
        if (n >= 1 && n <= kMaxRecentFiles) {
            while (state.RecentFiles.size() < n)
                state.RecentFiles << QString();
            state.RecentFiles[n - 1] = value.toString();
        }
        return;
    }
    if (key == u"Increment") {
        const auto v = fmt::parseNumber(value);
        if (v && *v > 0 && *v <= kMaxIncrement && static_cast<float>(*v) > 0)
            state.Increment = static_cast<float>(*v);
        return;
    }
    for (const ColorClass& c : kColorClasses) {
        if (key == QLatin1String(c.key)) {
            if (auto v = fmt::parseNumber(value))
                state.*(c.member) = std::clamp(*v, 0.0, double(kMaxColor));
            return;
        }
    }
}

void reportCorrupted(Platform& platform) {
    platform.message(QStringLiteral("File Varilume.ini missing or corrupted."),
                     QStringLiteral("INI File Missing"), Buttons::OkCancel, Icon::None);
}

QStringView chompCr(QStringView line) {
    return line.endsWith(u'\r') ? line.chopped(1) : line;
}

} // namespace

void ReadSettings(ProjectState& state, Platform& platform) {
    // Colours the file does not give (or gives unreadably) keep their defaults,
    // not 0: black dots on the black plot.
    for (const ColorClass& c : kColorClasses)
        state.*(c.member) = c.defaultValue;
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
    if (file.size() > kMaxSettingsBytes) {
        reportCorrupted(platform);
        return;
    }
    // Its own size, not the limit: reading asks for a buffer of the size given.
    const QString content = QString::fromLocal8Bit(file.read(file.size()));
    file.close();
    const QList<QStringView> lines = QStringView(content).split(u'\n');
    if (lines.isEmpty() || chompCr(lines.front()) != kSection)
        reportCorrupted(platform);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringView line = chompCr(lines[i]);
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        applySetting(state, line.left(eq), line.mid(eq + 1));
    }
    state.RecentFiles.removeAll(QString());
}

bool WriteSettings(const ProjectState& state, QString* error) {
    QString text = kSection + QStringLiteral("\r\n");
    text += QStringLiteral("FilePath=") + state.FilePath + QStringLiteral("\r\n");
    text += QStringLiteral("Increment=") + fmt::pattern(state.Increment, u"#0.0###", 7) +
            QStringLiteral("\r\n");
    for (const ColorClass& c : kColorClasses)
        text +=
            QLatin1String(c.key) + u'=' + fmt::general(state.*(c.member)) + QStringLiteral("\r\n");
    text += QStringLiteral("DataURL=") + state.DataURL + QStringLiteral("\r\n");
    if (state.WindowWidth > 0 && state.WindowHeight > 0)
        for (const WindowKey& w : kWindowKeys)
            text += QLatin1String(w.key) + u'=' + QString::number(state.*(w.member)) +
                    QStringLiteral("\r\n");
    for (qsizetype i = 0; i < state.RecentFiles.size() && i < kMaxRecentFiles; ++i)
        text +=
            QStringLiteral("Recent%1=").arg(i + 1) + state.RecentFiles[i] + QStringLiteral("\r\n");

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
