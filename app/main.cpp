#include "app/Application.h"
#include "ui/platform/QtPlatform.h"

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varilume"));
    // The window's layout is laid out in fixed places; a compact font keeps
    // captions inside their controls.
    QFont font = QApplication::font();
    font.setPointSizeF(8.5);
    QApplication::setFont(font);
    varilume::QtPlatform platform;
    varilume::Application app(platform, QCoreApplication::applicationDirPath());
    if (!app.start())
        return app.exitCode();
    platform.setOwner(app.mainWindow());
    if (app.ended())
        return app.exitCode();
    return QApplication::exec();
}
