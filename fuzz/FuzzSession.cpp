#include "FuzzSession.h"

#include "import/Extremes.h"
#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "preview/PreviewPlot.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cmath>

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

namespace {

QString folderTemplate() {
    // Files written on every run: a memory file system keeps the disk out of it.
    const QString shm = QStringLiteral("/dev/shm");
    return (QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) +
           QStringLiteral("/varilume-fuzz-XXXXXX");
}

} // namespace

Session::Session() : dir(folderTemplate()) {
    views.view.resize(64, 48);
    views.jd.resize(64, 16);
    views.mag.resize(16, 48);
    preview.view.resize(64, 48);
    preview.jd.resize(64, 16);
    preview.mag.resize(16, 48);
    store.bind(ObsStore::InMemory);
    reset();
}

void Session::reset() {
    state = ProjectState();
    state.ProgramFolder = dir.path();
    state.FilesFolder = dir.path();
    for (const ColorClass& c : kColorClasses)
        state.*(c.member) = c.defaultValue;
    state.Increment = 1;
    store.clear();
    platform.messages.clear();
}

Session& Run::shared() {
    static Session session;
    return session;
}

Run::Run() : s(shared()) {}

Run::~Run() {
    s.reset();
}

QString Session::write(const QString& name, const QByteArray& content) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    return path;
}

bool Session::afterLoad(float period, bool twoCycles) {
    if (!FindExtremes(state, store).found())
        return false;
    state.JDFrom = state.MinJD;
    state.JDTo = state.MaxJD;
    PreviewFullRedraw(ctx, preview, views);
    // A narrower window, as the preview's zoom leaves it.
    state.JDTo = state.MinJD + (state.MaxJD - state.MinJD) / 2;
    PreviewPlotRedraw(ctx, preview, views);
    state.JDTo = state.MaxJD;

    plotAt(period, twoCycles);
    // A period step replots without new scales; at the same period it would
    // draw the same picture again.
    state.Period = state.Period == 200 ? 100 : 200;
    Plotter(ctx, views);
    return true;
}

void Session::plotAt(float period, bool twoCycles) {
    state.Period = std::isfinite(period) && period > 0 ? period : 200;
    state.TwoCycles = twoCycles;
    Scaler(ctx, views);
    Plotter(ctx, views);
}

} // namespace varilume::fuzz

// libFuzzer calls this once before the first input, for every target.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    varilume::fuzz::startQt();
    return 0;
}
