#pragma once

#include "canvas/Canvas.h"
#include "platform/Platform.h"
#include "plot/PlotView.h"
#include "preview/PreviewView.h"
#include "store/Context.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace varilume::fuzz {

/// Starts the Qt pieces the drawing needs (offscreen), once per process; the
/// shared LLVMFuzzerInitialize of every target calls it.
void startQt();

/// A platform that answers every message with its first button and every dialog
/// with Cancel, and yields without doing anything.
class QuietPlatform : public Platform {
public:
    Answer message(const QString&, const QString&, Buttons, Icon) override;
    std::optional<QString> openFile(const FileDialogSpec&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogSpec&) override { return std::nullopt; }
    std::optional<std::int32_t> chooseColor(std::int32_t) override { return std::nullopt; }
    int execDialog(QObject&) override { return 0; }
    QStringList printerNames() override { return {}; }
    QString defaultPrinterName() override { return {}; }
    ShellResult openUrl(const QString&) override { return ShellResult::Failed; }
    ShellResult openPath(const QString&) override { return ShellResult::Failed; }
    void processEvents() override {}
    int yieldIntervalMs() const override { return 0; }
    void setBusyCursor(bool) override {}
    int messages = 0;
};

/// The main window and the preview as the plot routines see them: small real
/// canvases, so that every drawing call runs.
class QuietViews : public PlotView {
public:
    Canvas view{96, 64}, jdScale{96, 16}, magScale{16, 64};
    Canvas pView{96, 64}, pJDScale{96, 16}, pMagScale{16, 64};

    Canvas& picView() override { return view; }
    Canvas& picJDScale() override { return jdScale; }
    Canvas& picMagScale() override { return magScale; }
    void repaintCanvases() override {}
    void setStarCaption(const QString&) override {}
    QString starCaption() const override { return {}; }
    void setViewEnabled(bool) override {}
    void HidePlot() override {}
    void ShowPlot() override {}
    void setRangeLabels(const QString&, const QString&, const QString&, const QString&) override {}
    void showBusyCaption(const QString&) override {}
    void hideBusyCaption() override {}
    void showProgress(int) override {}
    void setProgress(int) override {}
    void hideProgress() override {}

    /// The preview's canvases, reached through PreviewView.
    struct Preview : PreviewView {
        QuietViews& v;
        explicit Preview(QuietViews& views) : v(views) {}
        Canvas& picView() override { return v.pView; }
        Canvas& picJDScale() override { return v.pJDScale; }
        Canvas& picMagScale() override { return v.pMagScale; }
        void repaintCanvases() override {}
        void setStarCaption(const QString&) override {}
        void setGoEnabled(bool) override {}
    };
};

/// One run: default settings and fresh canvases, with the process's store in
/// memory (emptied for each run: preparing its statements afresh would cost
/// more than the run) and its program folder (a temporary directory, in memory
/// where the system has one; each run overwrites the files in it).
struct Session {
    QTemporaryDir& dir;
    ProjectState state;
    ObsStore& store;
    QuietPlatform platform;
    Context ctx{state, store, platform};
    QuietViews views;

    Session();
    /// Writes bytes to a file of the folder and returns its path.
    QString write(const QString& name, const QByteArray& bytes);
    /// What the program does after a successful load: the extremes, the preview
    /// over the whole range with its scales, the phase plot's scales and a plot,
    /// then a replot at a period taken from the data and one with two cycles.
    void afterLoad(float period);
};

/// Bytes of a fuzz input.
inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace varilume::fuzz
