#pragma once

#include "app/Application.h"
#include "support/Files.h"
#include "support/ScriptedPlatform.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace varilume::test {

// The header line of an ORBIS download.
inline const QByteArray kOrbisHeader =
    "JD,Magnitude,Uncertainty,HQuncertainty,Band,Observer Code,Comment Code(s),Comp Star 1,Comp "
    "Star 2,Charts,Comments,Transfomed,Airmass,Validation Flag,Cmag,Kmag,HJD,Star Name\r\n";

// count V observations of star, one every `step` days from JD 2450000, their
// magnitudes going round `levels` values from 9 in steps of `rise`.
inline QByteArray orbisLines(int count = 40, double step = 2.5, int levels = 8, double rise = 0.25,
                             const QByteArray& star = "rr lyr") {
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += QByteArray::number(2450000.0 + i * step, 'f', 4) + "," +
                 QByteArray::number(9.0 + (i % levels) * rise, 'f', 2) + ",,,V,ABC,,,,,,0,,Z,,,," +
                 star + "\r\n";
    return lines;
}

// A program folder (the store template and a settings file naming the folder
// and holding `settings` besides) and the program started over it.
template <typename P = ScriptedPlatform> struct ProgramFolder {
    QTemporaryDir dir;
    P platform;
    std::unique_ptr<Application> app;

    explicit ProgramFolder(const QByteArray& settings) {
        QFile::copy(QStringLiteral(VARILUME_TEMPLATE), path(QStringLiteral("Template.mdb")));
        writeFile(path(QStringLiteral("Varilume.ini")),
                  "[Varilume.exe]\r\nFilePath=" + dir.path().toUtf8() + "\r\n" + settings);
    }
    void start() {
        app = std::make_unique<Application>(platform, dir.path());
        app->start();
        QApplication::setActiveWindow(app->mainWindow());
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    FrmPlot& w() { return *app->mainWindow(); }
    ProjectState& s() { return app->state(); }
    template <typename T> T* child(const char* name) {
        return w().template findChild<T*>(QLatin1String(name));
    }
    // The next preview runs script, then is left with Continue.
    void continuePreview(std::function<void(QDialog&)> script = {}) {
        platform.dialogScripts.push_back([script](QDialog& d) {
            if (script)
                script(d);
            d.findChild<QPushButton*>(QStringLiteral("cmdGo"))->click();
        });
    }
    // Loads file through "Load ORBIS File", the preview left with Continue.
    void loadOrbis(const QString& file, std::function<void(QDialog&)> preview = {}) {
        platform.files.push_back(file);
        continuePreview(std::move(preview));
        w().cmdLoad();
        QApplication::setActiveWindow(app->mainWindow());
    }
};

// A started program over a temporary program folder, with a small ORBIS file.
struct Session : ProgramFolder<> {
    QString orbis;

    Session() : Session(QByteArray(), defaultLines()) {}
    // A program whose settings file holds extraSettings too, and whose ORBIS
    // file holds these observation lines below the header.
    Session(const QByteArray& extraSettings, const QByteArray& observations)
        : ProgramFolder("Increment=1.0\r\nColorVIS=65280\r\nColorV=16744448\r\n"
                        "ColorFAINT=15520722\r\n" +
                        extraSettings) {
        orbis = path(QStringLiteral("rr lyr.txt"));
        writeFile(orbis, kOrbisHeader + observations);
        start();
    }
    static QByteArray defaultLines() {
        return orbisLines() + "2450200.5,<11.5,,,Vis.,ABC,,,,,,0,,Z,,,,rr lyr\r\n";
    }
    QWidget* focused() {
        QWidget* f = QApplication::focusWidget();
        return f ? f : app->mainWindow();
    }
    QString caption() { return child<QLabel>("lblStarName")->text(); }
    // Loads the ORBIS file, leaving the preview with Continue.
    void load() { loadOrbis(orbis); }
};

} // namespace varilume::test
