#pragma once

#include "store/Context.h"
#include "ui/main/FrmPlot.h"

#include <memory>

namespace varilume {

/// Owns the project-wide state, the store and the main window; runs start-up
/// and shutdown in their fixed orders.
class Application : public AppHost {
public:
    Application(Platform& platform, const QString& programFolder);
    ~Application() override;

    /// Name and font every window of the program is laid out for; called once
    /// the QApplication exists.
    static void setDesktopLook();

    /// Start-up up to the visible main window. False when the program must end
    /// (missing template, first-run configuration abandoned).
    bool start();

    void ShutDown() override;
    void endNow(int exitCode) override;
    void configure() override;
    void about() override;

    ProjectState& state() { return state_; }
    ObsStore& store() { return store_; }
    FrmPlot* mainWindow() { return frmPlot_.get(); }
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }

private:
    /// Shows the configuration dialog; true when it was left by Enter.
    bool showConfig();

    ProjectState state_;
    ObsStore store_;
    Context ctx_;
    std::unique_ptr<FrmPlot> frmPlot_;
    bool ended_ = false;
    int exitCode_ = 0;
};

} // namespace varilume
