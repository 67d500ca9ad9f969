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
#include <memory>

namespace varilume::test {

// A started program over a temporary program folder, with a small ORBIS file.
struct Session {
    QTemporaryDir dir;
    ScriptedPlatform platform;
    std::unique_ptr<Application> app;
    QString orbis;

    Session() : Session(QByteArray(), defaultLines()) {}
    // A program whose settings file holds extraSettings too, and whose ORBIS
    // file holds these observation lines below the header.
    Session(const QByteArray& extraSettings, const QByteArray& observations) {
        QFile::copy(QStringLiteral(VARILUME_TEMPLATE),
                    dir.filePath(QStringLiteral("Template.mdb")));
        writeFile(dir.filePath(QStringLiteral("Varilume.ini")),
                  "[Varilume.exe]\r\nFilePath=" + dir.path().toUtf8() +
                      "\r\nIncrement=1.0\r\nColorVIS=65280\r\nColorV=16744448\r\n"
                      "ColorFAINT=15520722\r\n" +
                      extraSettings);
        const QByteArray header =
            "JD,Magnitude,Uncertainty,HQuncertainty,Band,Observer Code,Comment Code(s),Comp Star 1,"
            "Comp Star 2,Charts,Comments,Transfomed,Airmass,Validation Flag,Cmag,Kmag,HJD,Star "
            "Name\r\n";
        orbis = dir.filePath(QStringLiteral("rr lyr.txt"));
        writeFile(orbis, header + observations);
        app = std::make_unique<Application>(platform, dir.path());
        app->start();
        QApplication::setActiveWindow(app->mainWindow());
    }
    static QByteArray defaultLines() {
        QByteArray lines;
        for (int i = 0; i < 40; ++i) {
            const QByteArray jd = QByteArray::number(2450000.0 + i * 2.5, 'f', 4);
            const QByteArray mag = QByteArray::number(9.0 + (i % 8) * 0.25, 'f', 2);
            lines += jd + "," + mag + ",,,V,ABC,,,,,,0,,Z,,,,rr lyr\r\n";
        }
        return lines + "2450200.5,<11.5,,,Vis.,ABC,,,,,,0,,Z,,,,rr lyr\r\n";
    }
    QWidget* focused() {
        QWidget* f = QApplication::focusWidget();
        return f ? f : app->mainWindow();
    }
    FrmPlot& w() { return *app->mainWindow(); }
    ProjectState& s() { return app->state(); }
    template <typename T> T* child(const char* name) {
        return w().findChild<T*>(QLatin1String(name));
    }
    QString caption() { return child<QLabel>("lblStarName")->text(); }
    // Loads the ORBIS file, leaving the preview with Continue.
    void load() {
        platform.files.push_back(orbis);
        platform.dialogScripts.push_back(
            [](QDialog& d) { d.findChild<QPushButton*>(QStringLiteral("cmdGo"))->click(); });
        w().cmdLoad();
        QApplication::setActiveWindow(app->mainWindow());
    }
};

} // namespace varilume::test
