// Import, replot and preview timings on generated files of 10,000, 100,000 and
// 1,000,000 observations. Each size runs in a child process of its own, so the
// peak memory reported is that size's alone.
//
//   varilume_bench                 all sizes
//   varilume_bench --size N        one size (what the children run)
//   varilume_bench --size N --only import|current|two|table|tableimport|replot
//                                  one measure alone, for a profiler
// "table" is the light-curve table reader alone (sniff, recognise, read; no store).
#include "OrbisGenerator.h"
#include "canvas/Canvas.h"
#include "export/Bins.h"
#include "export/PhaseExport.h"
#include "import/Extremes.h"
#include "import/OrbisImport.h"
#include "import/TableImport.h"
#include "import/TableReader.h"
#include "import/TwoColumnImport.h"
#include "platform/QuietPlatform.h"
#include "plot/OffscreenPlotView.h"
#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "preview/OffscreenPreviewView.h"
#include "preview/PreviewPlot.h"
#include "store/Context.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

using namespace varilume;

namespace {

using BenchPlotView = OffscreenPlotView;

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

// Wall and processor time of one run: the machine is shared, so the processor
// time says what the work itself costs when others load the cores.
struct Timing {
    double wallMs = 0, cpuMs = 0;
};

template <typename F> Timing timed(F&& work) {
    QElapsedTimer t;
    t.start();
    const std::clock_t c = std::clock();
    work();
    return {ms(t), double(std::clock() - c) * 1000.0 / CLOCKS_PER_SEC};
}

// Times the ORBIS import (the extremes included) of a file into a fresh store.
Timing importOrbis(Folder& f, PlotView& view, const QString& file, int expectMin) {
    f.state.FileName = file;
    ImportResult r;
    const Timing elapsed = timed([&] {
        r = ImportOrbisFile(f.ctx, view);
        FindExtremes(f.state, f.store);
    });
    if (!r.ok() || r.records < expectMin)
        std::fprintf(stderr, "import of %s stored only %d records\n", qPrintable(file), r.records);
    return elapsed;
}

// The light-curve table reader on a CSV of n rows (JD, Magnitude, Err, Band, flag),
// from sniffing the head to the last observation handed over; no store.
Timing readLightCurveTable(const QString& path, int n) {
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            return {};
        QByteArray text = "JD,Magnitude,Err,Band,catflags\n";
        for (int i = 0; i < n; ++i) {
            text += QByteArray::number(2455000.5 + i * 0.0137, 'f', 5) + ',' +
                    QByteArray::number(11.0 + (i % 997) * 0.001, 'f', 3) + ",0.0" +
                    QByteArray::number(10 + i % 80) + (i % 3 ? ",V," : ",B,") +
                    (i % 100 ? "0\n" : "4\n");
            if (text.size() > (1 << 20)) {
                out.write(text);
                text.clear();
            }
        }
        out.write(text);
    }
    qint64 loaded = 0;
    const Timing t = timed([&] {
        const TableLayout layout = sniffTable(path);
        const TableMapping mapping = recogniseColumns(layout);
        const TableReadResult r = readTable(
            path, layout, mapping,
            [&](std::span<const TableObservation> chunk) {
                loaded += qint64(chunk.size());
                return true;
            },
            [](const SkippedRow&) {});
        if (!r.ok)
            std::fprintf(stderr, "table read failed: %s\n", qPrintable(r.error));
    });
    if (loaded != n - (n + 99) / 100)
        std::fprintf(stderr, "table read loaded %lld of %d rows\n", static_cast<long long>(loaded),
                     n);
    return t;
}

// The exports and the averaging, each measured after a fresh replot (phases in
// memory, not yet written back), from the start of the work to the file closed.
void exportsAndBins(Folder& f, BenchPlotView& view, int n) {
    const QString sortedPath = f.dir.filePath(QStringLiteral("sorted.txt"));
    const QString jdPath = f.dir.filePath(QStringLiteral("jd.txt"));
    const QDateTime when = QDateTime::currentDateTime();

    Plotter(f.ctx, view);
    const Timing sorted = timed([&] { SavePhaseSorted(f.ctx, view, sortedPath, when); });
    Plotter(f.ctx, view);
    const Timing jd = timed([&] { SaveFile(f.ctx, view, jdPath, when); });
    Plotter(f.ctx, view);
    BinTable table;
    const Timing bins = timed([&] {
        Pacer pacer(f.platform, {});
        table = LoadBins(f.store, binEdges(0.1f, false), pacer, f.state);
    });

    QString check = QStringLiteral("-");
    if (n <= 100000) {
        // The memory reads against the queries themselves.
        Pacer pacer(f.platform, {});
        const bool same = table == binsByQuery(f.store, binEdges(0.1f, false), pacer, f.state) &&
                          phaseSortedRows(f.store) == phaseSortedRowsByQuery(f.store);
        check = same ? QStringLiteral("same") : QStringLiteral("DIFFERENT");
    }
    std::printf("%9d  sorted %7.0f ms (cpu %6.0f)  JD order %7.0f ms (cpu %6.0f)  bins %6.0f ms "
                "(cpu %5.0f)  vs queries: %s\n",
                n, sorted.wallMs, sorted.cpuMs, jd.wallMs, jd.cpuMs, bins.wallMs, bins.cpuMs,
                qPrintable(check));
    std::fflush(stdout);
}

// A two-column file written again as "JD,Magnitude,Uncertainty,Band" rows.
void writeAsTable(const QString& from, const QString& to) {
    QFile in(from), out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return;
    out.write("JD,Magnitude,Uncertainty,Band\n");
    while (!in.atEnd()) {
        QList<QByteArray> f = in.readLine().simplified().split(' ');
        if (f.size() >= 2)
            out.write(f[0] + ',' + f[1] + ',' + (f.size() > 2 ? f[2] : "0.01") + ",V\n");
    }
}

void runSize(int n, const QString& only) {
    const auto wanted = [&](const char* what) { return only.isEmpty() || only == what; };
    QTemporaryDir work;
    const QString legacy = work.filePath(QStringLiteral("legacy.txt"));
    const QString current = work.filePath(QStringLiteral("current.csv"));
    const QString twoCol = work.filePath(QStringLiteral("two.txt"));
    gen::writeOrbisFile(legacy, n, 7, gen::OrbisLayout::Legacy18);
    if (wanted("current"))
        gen::writeOrbisFile(current, n, 7, gen::OrbisLayout::CurrentComma);
    gen::StarModel eb;
    eb.shape = gen::CurveShape::Eclipsing;
    eb.period = 2.87;
    if (wanted("two"))
        gen::writeTwoColumnFile(twoCol, eb, n, 7, 2455000.5, 3000);

    Timing currentImport;
    if (wanted("current")) {
        Folder f;
        BenchPlotView view;
        currentImport = importOrbis(f, view, current, n / 2);
    }

    Timing twoColumnImport;
    if (wanted("two")) {
        Folder f;
        BenchPlotView view;
        twoColumnImport = timed([&] { ImportTwoColumnFile(f.ctx, view, twoCol); });
    }
    Timing tableRead;
    if (wanted("table"))
        tableRead = readLightCurveTable(work.filePath(QStringLiteral("table.csv")), n);
    if (only == "tableimport") {
        // The same observations as a survey's CSV, through the light-curve table importer.
        const QString table = work.filePath(QStringLiteral("table.csv"));
        gen::writeTwoColumnFile(twoCol, eb, n, 7, 2455000.5, 3000);
        writeAsTable(twoCol, table);
        Folder f;
        BenchPlotView view;
        const Timing t = timed([&] {
            const ImportResult r = ImportTableFile(f.ctx, view, table, nullptr);
            if (r.records != n)
                std::fprintf(stderr, "table import stored %d of %d: %s\n", r.records, n,
                             qPrintable(r.text));
        });
        std::printf("%9d  table import %5.0f ms (cpu %5.0f)  peak %.1f MB\n", n, t.wallMs, t.cpuMs,
                    peakKiB() / 1024.0);
        return;
    }
    if (!only.isEmpty() && only != "import" && only != "replot") {
        const Timing& t = only == "two"     ? twoColumnImport
                          : only == "table" ? tableRead
                                            : currentImport;
        std::printf("%9d  %s %5.0f ms (cpu %5.0f)\n", n, qPrintable(only), t.wallMs, t.cpuMs);
        return;
    }

    Folder f;
    BenchPlotView view;
    const Timing legacyImport = importOrbis(f, view, legacy, n / 2);
    const long importPeak = peakKiB();
    if (only == "import") {
        std::printf("%9d  import %5.0f ms (cpu %5.0f)  peak %.1f MB\n", n, legacyImport.wallMs,
                    legacyImport.cpuMs, importPeak / 1024.0);
        return;
    }

    f.state.JDFrom = f.state.MinJD;
    f.state.JDTo = f.state.MaxJD;
    f.state.StarLoaded = true;
    Scaler(f.ctx, view);
    Plotter(f.ctx, view); // warm-up
    const int runs = n >= 1000000 ? 10 : 30;
    const Timing replotRuns = timed([&] {
        for (int i = 0; i < (only == "replot" ? 20 * runs : runs); ++i) {
            f.state.Period = 331.0f + 0.1f * static_cast<float>(i);
            Plotter(f.ctx, view);
        }
    });
    if (only == "replot") {
        std::printf("%9d  replot %6.2f ms (cpu %6.2f)\n", n, replotRuns.wallMs / (20 * runs),
                    replotRuns.cpuMs / (20 * runs));
        return;
    }
    const Timing replot{replotRuns.wallMs / runs, replotRuns.cpuMs / runs};
    exportsAndBins(f, view, n);
    Plotter(f.ctx, view);
    QElapsedTimer t;
    t.start();
    f.store.flushPhases();
    const double flush = ms(t);

    OffscreenPreviewView preview;
    PreviewFullRedraw(f.ctx, preview, view);
    t.restart();
    for (int i = 0; i < runs; ++i)
        PreviewFullRedraw(f.ctx, preview, view);
    const double previewRedraw = ms(t) / runs;

    std::printf("%9d  %5.0f (%5.0f)  %5.0f (%5.0f)  %5.0f (%5.0f)  %7.1f  %6.2f (%6.2f)  %9.2f  "
                "%8.0f  %s\n",
                n, legacyImport.wallMs, legacyImport.cpuMs, currentImport.wallMs,
                currentImport.cpuMs, twoColumnImport.wallMs, twoColumnImport.cpuMs,
                importPeak / 1024.0, replot.wallMs, replot.cpuMs, previewRedraw, flush,
                qPrintable(view.caption.trimmed()));
    std::printf("%9d  light-curve table reader %5.0f ms (cpu %5.0f)\n", n, tableRead.wallMs,
                tableRead.cpuMs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // fonts for the scale labels
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QStringLiteral("--size")) {
        const bool alone = args.size() == 5 && args[3] == QStringLiteral("--only");
        runSize(args[2].toInt(), alone ? args[4] : QString());
        return 0;
    }
    // Times in ms, processor time (all threads together) in brackets.
    std::printf("observations  import ms (cpu)  current ms (cpu)  2-col ms (cpu)  peak MB  "
                "replot ms (cpu)  preview ms  flush ms  caption\n");
    std::fflush(stdout);
    for (int n : {10000, 100000, 1000000}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(app.applicationFilePath(), {QStringLiteral("--size"), QString::number(n)});
        child.waitForFinished(-1);
    }
    return 0;
}
