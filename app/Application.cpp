#include "app/Application.h"

#include "platform/FileSystem.h"
#include "settings/Settings.h"
#include "store/WorkingStore.h"
#include "ui/dialogs/FrmAbout.h"
#include "ui/dialogs/FrmConfig.h"
#include "ui/main/Logo.h"

#include <QApplication>
#include <QFont>

namespace varilume {

Application::Application(Platform& platform, const QString& programFolder)
    : ctx_{state_, store_, platform} {
    state_.ProgramFolder = programFolder;
    // The main window hides while the preview or the configuration is open, and
    // a plot that follows may yield before it shows again: with no window on
    // screen Qt would end the program there. It ends through ShutDown alone.
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

void Application::setDesktopLook() {
    QApplication::setApplicationName(QStringLiteral("Varilume"));
    // The window's layout is laid out in fixed places; a compact font keeps
    // captions inside their controls.
    QFont font = QApplication::font();
    font.setPointSizeF(8.5);
    QApplication::setFont(font);
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(makeLogo(QSize(size, size)));
    QApplication::setWindowIcon(icon);
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
    state_.DefaultPrinter = ctx_.platform.defaultPrinterName();
    if (!OpenWorkingStore(ctx_)) {
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
    if (state_.storeBusy())
        return;
    if (state_.StarLoaded) {
        const Answer a = ctx_.platform.message(
            QStringLiteral("You cannot change the configuration while a file is loaded.\r\n\r\n"
                           "Do you want to unload the file ") +
                state_.LoadedFile + QStringLiteral("?"),
            QStringLiteral("Cannot Reconfigure"), Buttons::YesNoCancel, Icon::None);
        if (a != Answer::Yes)
            return;
        const QString folder = state_.LoadedFile.left(state_.LoadedFile.lastIndexOf(u'/') + 1);
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
    if (frmPlot_)
        frmPlot_->keepPlace();
    // Settings never confirmed (a cancelled first start) are not written: a
    // file of zero colours and a zero increment would be taken as chosen, and
    // the next start would not ask again.
    QString why;
    if (!state_.IniMissing && !WriteSettings(state_, &why))
        // Said, not swallowed: the next start would silently use older settings.
        ctx_.platform.message(why + QStringLiteral("\r\nThe settings of this session are lost."),
                              QStringLiteral("Settings Not Saved"), Buttons::Ok, Icon::Exclamation);
    store_.unbind();
    DeleteFile(state_.storePath());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != frmPlot_.get() && w->isVisible())
            w->close();
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
