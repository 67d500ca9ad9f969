#pragma once

// Runs the built program itself, as a user or a script would: its exit status,
// standard output and error, and what it leaves behind.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cmath>
#include <numbers>

namespace varilume::test {

inline const QString program = QStringLiteral(VARILUME_BIN_DIR "/Varilume");

// A star of period 3.118 d observed on 200 of 300 nights, in the two-column layout.
inline QByteArray twoColumnStar(double period = 3.118, double noise = 0.02) {
    QByteArray text;
    for (int night = 0, kept = 0; night < 300; ++night) {
        if ((night * 7) % 3 == 0)
            continue;
        ++kept;
        const double t = 2460000.3 + night + 0.37 * std::sin(night * 1.7);
        const double mag = 11 + 0.4 * std::sin(2 * std::numbers::pi * t / period) +
                           noise * std::sin(kept * 12.9898);
        text += QByteArray::number(t, 'f', 5) + ' ' + QByteArray::number(mag, 'f', 3) + '\n';
    }
    return text;
}

// Every file under a folder, with its size: to see that a run left nothing behind.
inline QStringList listing(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files << it.filePath() + QStringLiteral(" ") + QString::number(it.fileInfo().size());
    }
    files.sort();
    return files;
}

struct Run {
    int exitCode = -1;
    QString out, err;
};

inline Run runProgram(const QStringList& args, const QString& workDir, int timeoutMs = 120000) {
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill(); // a window program that never ends, where none was asked for
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

/// The verdict a finished search printed as its one line on standard error,
/// "Varilume: FILE: periodic" (or "red noise", "not significant"); empty when
/// err is not exactly that line.
inline QString verdictOnError(const QString& err, const QString& file) {
    const QString prefix = QStringLiteral("Varilume: ") + file + QStringLiteral(": ");
    if (!err.startsWith(prefix) || !err.endsWith(u'\n') || err.count(u'\n') != 1)
        return {};
    const QString verdict = err.mid(prefix.size()).chopped(1);
    for (const char* known : {"periodic", "red noise", "not significant"})
        if (verdict == QLatin1String(known))
            return verdict;
    return {};
}

} // namespace varilume::test
