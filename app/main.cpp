#include "app/Application.h"
#include "app/BatchModel.h"
#include "app/BatchSearch.h"
#include "app/ProgramFolder.h"
#include "ui/platform/QtPlatform.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (varilume::isBatchModel(args))
        return varilume::batchModelMain(argc, argv);
    if (varilume::isBatchSearch(args))
        return varilume::batchSearchMain(argc, argv);
    QApplication qapp(argc, argv);
    varilume::Application::setDesktopLook();
    varilume::QtPlatform platform;

    // A build or unpacked folder is its own program folder; an installed
    // program keeps its files in the user's data folder.
    const QString executable = QCoreApplication::applicationDirPath();
    const auto choice = varilume::chooseProgramFolder(
        {executable, varilume::folderIsWritable(executable),
         executable + QStringLiteral("/" VARILUME_DATA_FROM_BIN),
         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)});
    if (!choice.error.isEmpty())
        platform.message(choice.error, QStringLiteral("Program Folder"), varilume::Buttons::Ok,
                         varilume::Icon::Exclamation);

    varilume::Application app(platform, choice.folder);
    if (!app.start())
        return app.exitCode();
    platform.setOwner(app.mainWindow());
    if (app.ended())
        return app.exitCode();
    return QApplication::exec();
}
