#include "app/Application.h"
#include "platform/QtPlatform.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varilume"));
    varilume::QtPlatform platform;
    varilume::Application app(platform, QCoreApplication::applicationDirPath());
    if (!app.start())
        return app.exitCode();
    platform.setOwner(app.mainWindow());
    if (app.ended())
        return app.exitCode();
    return QApplication::exec();
}
