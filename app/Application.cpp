#include "app/Application.h"

#include "platform/FileSystem.h"
#include "settings/Settings.h"
#include "store/WorkingStore.h"
#include "ui/dialogs/FrmAbout.h"
#include "ui/dialogs/FrmConfig.h"

#include <QApplication>

namespace varilume {

Application::Application(Platform& platform, const QString& programFolder)
    : ctx_{state_, store_, platform} {
    state_.ProgramFolder = programFolder;
}

Application::~Application() {
    frmPlot_.reset();
    store_.unbind();
}

bool Application::start() {
    ReadSettings(state_, ctx_.platform);
    if (!PrepareStore(state_, ctx_.platform)) {
        endNow(1);
        return false;
    }
    if (state_.IniMissing && !showConfig()) {
        ShutDown();
        return false;
    }
    state_.LoadOK = true;
    state_.DefaultPrinter = ctx_.platform.defaultPrinterName();
    try {
        store_.bind(state_.storePath());
    } catch (const StoreError& e) {
        ctx_.platform.message(QStringLiteral("The working store cannot be opened: ") +
                                  e.description(),
                              QStringLiteral("File Missing"), Buttons::Ok, Icon::Critical);
        endNow(1);
        return false;
    }
    frmPlot_ = std::make_unique<FrmPlot>(ctx_, *this);
    state_.TwoCycles = false;
    frmPlot_->showAtStartSize();
    return true;
}

bool Application::showConfig() {
    FrmConfig dialog(ctx_);
    return ctx_.platform.execDialog(dialog) == QDialog::Accepted;
}

void Application::configure() {
    if (state_.Plotting)
        return;
    if (state_.StarLoaded) {
        const Answer a = ctx_.platform.message(
            QStringLiteral("You cannot change the configuration while a file is loaded.\r\n\r\n"
                           "Do you want to unload the file ") +
                state_.FileName + QStringLiteral("?"),
            QStringLiteral("Cannot Reconfigure"), Buttons::YesNoCancel, Icon::None);
        if (a != Answer::Yes)
            return;
        const QString folder = state_.FileName.left(state_.FileName.lastIndexOf(u'/') + 1);
        if (!frmPlot_->ClearStar())
            return;
        state_.FileName = folder;
    }
    frmPlot_->hide();
    const bool entered = showConfig();
    if (!entered && state_.IniMissing) {
        ShutDown();
        return;
    }
    frmPlot_->show();
}

void Application::about() {
    FrmAbout box;
    ctx_.platform.execDialog(box);
}

void Application::ShutDown() {
    if (ended_)
        return;
    ended_ = true;
    WriteSettings(state_);
    store_.unbind();
    DeleteFile(state_.storePath());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != frmPlot_.get() && w->isVisible())
            w->close();
    state_.LoadOK = false;
    // The window itself goes with the application, after the event loop.
    if (frmPlot_)
        frmPlot_->hide();
    QCoreApplication::exit(0);
}

void Application::endNow(int exitCode) {
    ended_ = true;
    exitCode_ = exitCode;
    store_.unbind();
    if (frmPlot_)
        frmPlot_->hide();
    QCoreApplication::exit(exitCode);
}

} // namespace varilume
