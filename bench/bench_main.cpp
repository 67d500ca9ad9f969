// Import, replot and preview timings on generated files of 10,000, 100,000 and
// 1,000,000 observations. Each size runs in a child process of its own, so the
// peak memory reported is that size's alone.
//
//   varilume_bench                 all sizes
//   varilume_bench --size N        one size (what the children run)
#include "OrbisGenerator.h"
#include "canvas/Canvas.h"
#include "import/Extremes.h"
#include "import/OrbisImport.h"
#include "import/TwoColumnImport.h"
#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "preview/PreviewPlot.h"
#include "preview/PreviewView.h"
#include "store/Context.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>

using namespace varilume;

namespace {

class QuietPlatform : public Platform {
public:
    Answer message(const QString& text, const QString& title, Buttons, Icon) override {
        std::fprintf(stderr, "message [%s] %s\n", qPrintable(title), qPrintable(text));
        return Answer::Ok;
    }
    std::optional<QString> openFile(const FileDialogSpec&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogSpec&) override { return std::nullopt; }
    std::optional<std::int32_t> chooseColor(std::int32_t) override { return std::nullopt; }
    int execDialog(QObject&) override { return 0; }
    QStringList printerNames() override { return {}; }
    QString defaultPrinterName() override { return {}; }
    bool openUrl(const QString&) override { return false; }
    void processEvents() override { QCoreApplication::processEvents(); }
    void setBusyCursor(bool) override {}
};

// The main window's canvases at their design size (10215 x 5295 twips).
class BenchPlotView : public PlotView {
public:
    Canvas view{681, 353}, jd{681, 25}, mag{25, 353};
    QString caption;
    Canvas& picView() override { return view; }
    Canvas& picJDScale() override { return jd; }
    Canvas& picMagScale() override { return mag; }
    void repaintCanvases() override {}
    void setStarCaption(const QString& c) override { caption = c; }
    QString starCaption() const override { return caption; }
    void setViewEnabled(bool) override {}
    void HidePlot() override {}
    void ShowPlot() override {}
    void setRangeLabels(const QString&, const QString&, const QString&, const QString&) override {}
    void showBusyCaption(const QString&) override {}
    void hideBusyCaption() override {}
    void showProgress(int) override {}
    void setProgress(int) override {}
    void hideProgress() override {}
};

class BenchPreviewView : public PreviewView {
public:
    Canvas view{681, 353}, jd{681, 25}, mag{25, 353};
    Canvas& picView() override { return view; }
    Canvas& picJDScale() override { return jd; }
    Canvas& picMagScale() override { return mag; }
    void repaintCanvases() override {}
    void setStarCaption(const QString&) override {}
    void setGoEnabled(bool) override {}
};

long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

struct Folder {
    QTemporaryDir dir;
    ProjectState state;
    ObsStore store;
    QuietPlatform platform;
    Context ctx{state, store, platform};
    Folder() {
        state.ProgramFolder = dir.path();
        state.FilesFolder = dir.path();
        state.ColorVIS = 65280;
        QFile::copy(QStringLiteral(VARILUME_TEMPLATE), state.storePath());
        QFile(state.storePath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        store.bind(state.storePath());
    }
};

double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

// Times the ORBIS import (the extremes included) of a file into a fresh store.
double importOrbis(Folder& f, PlotView& view, const QString& file, int expectMin) {
    f.state.FileName = file;
    QElapsedTimer t;
    t.start();
    const ImportResult r = ImportOrbisFile(f.ctx, view);
    FindExtremes(f.ctx, view);
    const double elapsed = ms(t);
    if (!r.ok() || r.records < expectMin)
        std::fprintf(stderr, "import of %s stored only %d records\n", qPrintable(file), r.records);
    return elapsed;
}

void runSize(int n) {
    QTemporaryDir work;
    const QString legacy = work.filePath(QStringLiteral("legacy.txt"));
    const QString current = work.filePath(QStringLiteral("current.csv"));
    const QString twoCol = work.filePath(QStringLiteral("two.txt"));
    gen::writeOrbisFile(legacy, n, 7, gen::OrbisLayout::Legacy18);
    gen::writeOrbisFile(current, n, 7, gen::OrbisLayout::CurrentComma);
    gen::StarModel eb;
    eb.shape = gen::CurveShape::Eclipsing;
    eb.period = 2.87;
    gen::writeTwoColumnFile(twoCol, eb, n, 7, 2455000.5, 3000);

    double currentImport = 0;
    {
        Folder f;
        BenchPlotView view;
        currentImport = importOrbis(f, view, current, n / 2);
    }

    double twoColumnImport = 0;
    {
        Folder f;
        BenchPlotView view;
        QElapsedTimer t;
        t.start();
        ImportTwoColumnFile(f.ctx, view, twoCol);
        twoColumnImport = ms(t);
    }

    Folder f;
    BenchPlotView view;
    const double legacyImport = importOrbis(f, view, legacy, n / 2);
    const long importPeak = peakKiB();

    f.state.JDFrom = f.state.MinJD;
    f.state.JDTo = f.state.MaxJD;
    f.state.StarLoaded = true;
    Scaler(f.ctx, view);
    Plotter(f.ctx, view); // warm-up
    const int runs = n >= 1000000 ? 10 : 30;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < runs; ++i) {
        f.state.Period = 331.0f + 0.1f * static_cast<float>(i);
        Plotter(f.ctx, view);
    }
    const double replot = ms(t) / runs;
    t.restart();
    f.store.flushPhases();
    const double flush = ms(t);

    BenchPreviewView preview;
    PreviewFullRedraw(f.ctx, preview, view);
    t.restart();
    for (int i = 0; i < runs; ++i)
        PreviewFullRedraw(f.ctx, preview, view);
    const double previewRedraw = ms(t) / runs;

    std::printf("%9d  %8.0f  %8.0f  %8.0f  %7.1f  %8.2f  %9.2f  %8.0f  %s\n", n, legacyImport,
                currentImport, twoColumnImport, importPeak / 1024.0, replot, previewRedraw, flush,
                qPrintable(view.caption.trimmed()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // fonts for the scale labels
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QStringLiteral("--size")) {
        runSize(args[2].toInt());
        return 0;
    }
    std::printf("observations  import ms  current ms  2-col ms  peak MB  replot ms  preview ms  "
                "flush ms  caption\n");
    std::fflush(stdout);
    for (int n : {10000, 100000, 1000000}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(app.applicationFilePath(), {QStringLiteral("--size"), QString::number(n)});
        child.waitForFinished(-1);
    }
    return 0;
}
