#include "FuzzSession.h"

#include "import/Extremes.h"
#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "preview/PreviewPlot.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cmath>
#include <cstdlib>

namespace varilume::fuzz {

void startQt() {
    // Never destroyed: libFuzzer ends the process with exit(), after Qt's own
    // globals are gone.
    static QGuiApplication* app = nullptr;
    if (app)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    app = new QGuiApplication(argc, argv);
}

Answer QuietPlatform::message(const QString&, const QString&, Buttons buttons, Icon) {
    ++messages;
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
}

namespace {

QTemporaryDir& programFolder() {
    // Files written on every run: a memory file system keeps the disk out of it.
    const QString shm = QStringLiteral("/dev/shm");
    static QTemporaryDir dir(QFileInfo(shm).isWritable()
                                 ? shm + QStringLiteral("/varilume-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/varilume-fuzz-XXXXXX"));
    return dir;
}

ObsStore& emptyStore() {
    static ObsStore store;
    if (!store.isBound())
        store.bind(QStringLiteral(":memory:"));
    else
        store.execute(QStringLiteral("DELETE FROM Obs"));
    return store;
}

} // namespace

Session::Session() : dir(programFolder()), store(emptyStore()) {
    state.ProgramFolder = dir.path();
    state.FilesFolder = dir.path();
    for (const ColorClass& c : kColorClasses)
        state.*(c.member) = c.defaultValue;
    state.Increment = 1;
}

QString Session::write(const QString& name, const QByteArray& content) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    return path;
}

void Session::afterLoad(float period) {
    if (!FindExtremes(state, store).found())
        return;
    state.JDFrom = state.MinJD;
    state.JDTo = state.MaxJD;
    QuietViews::Preview preview(views);
    PreviewFullRedraw(ctx, preview, views);
    // A narrower window, as the preview's zoom leaves it.
    state.JDTo = state.MinJD + (state.MaxJD - state.MinJD) / 2;
    PreviewPlotRedraw(ctx, preview, views);
    state.JDTo = state.MaxJD;

    state.Period = 200;
    Scaler(ctx, views);
    Plotter(ctx, views);
    if (std::isfinite(period) && period > 0)
        state.Period = period;
    state.TwoCycles = true;
    Scaler(ctx, views);
    Plotter(ctx, views);
}

} // namespace varilume::fuzz

// libFuzzer calls this once before the first input, for every target.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    varilume::fuzz::startQt();
    return 0;
}
