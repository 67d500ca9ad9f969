#include "app/Application.h"
#include "app/BatchModel.h"
#include "app/CommandLine.h"
#include "app/ProgramFolder.h"
#include "app/ShutdownSignals.h"
#include "ui/platform/QtPlatform.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
    // Read before any application object: --help, --version and the batch
    // modes must work where no display can be opened, and leave nothing behind.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    // The modelling modes read their own options (to be folded into the one table).
    if (varilume::isBatchModel(args))
        return varilume::batchModelMain(argc, argv);
    const varilume::CommandLine command = varilume::parseCommandLine(args);
    if (const int status = varilume::runWithoutWindow(command, argc, argv); status >= 0)
        return status;

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
    // A signal ends the session as closing the window does; before the window
    // exists (the first-run configuration), through the same shutdown.
    const varilume::ShutdownSignals shutdownSignals([&app] {
        if (app.mainWindow())
            app.mainWindow()->close();
        else
            app.ShutDown();
    });
    if (!app.start())
        return app.exitCode();
    platform.setOwner(app.mainWindow());
    if (app.ended())
        return app.exitCode();
    return QApplication::exec();
}
