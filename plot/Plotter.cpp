#include "plot/Plotter.h"

#include "canvas/Canvas.h"
#include "platform/EventPump.h"
#include "plot/Phase.h"
#include "plot/Scales.h"
#include "plot/ShownDots.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <span>
#include <vector>

namespace varilume {

namespace {

// Rows phased, stored and drawn between two looks at the clock: a millisecond
// or two of work, shared out over all cores.
constexpr std::size_t kChunk = 1 << 16;

struct ClearOnExit {
    bool& flag;
    ~ClearOnExit() { flag = false; }
};

enum class Outcome { Done, Failed, StoreChanged };

struct PlotRun {
    Outcome outcome = Outcome::Done;
    QString failure;
    std::size_t drawn = 0;   // rows phased
    std::size_t shown = 0;   // of them, points of a band not hidden
    bool periodZero = false; // the failure is a period of 0, which divides nothing
};

// Phases the rows of the window block by block, stores the phases and draws
// the dots, yielding by time; stops at a failed phase or when the store
// changes under it during a yield.
PlotRun foldAndDraw(Context& ctx, PlotView& view, Canvas& plot, double r) {
    ProjectState& s = ctx.state;
    PlotRun run;
    std::size_t& drawn = run.drawn;
    Outcome& outcome = run.outcome;
    try {
        const auto [first, last] = ctx.store.window(s.JDFrom, s.JDTo);
        SetMidJD(s);
        // Taken once: a period typed while the plot yields is drawn by the next run.
        const PhaseRule phaseOf(s);
        const std::vector<char> shown = shownBandMask(s, ctx.store);
        auto cols = ctx.store.plotColumns();
        const double* const jdData = cols.jd.data();
        const std::size_t rows = cols.jd.size();

        EventPump pump(ctx.platform);
        const qint64 yieldMs = ctx.platform.yieldIntervalMs();
        QElapsedTimer sinceYield;
        sinceYield.start();
        std::vector<float> phases(std::min(kChunk, last - first));

        for (std::size_t i = first; i < last;) {
            const std::size_t n = std::min(kChunk, last - i);
            const std::span<float> out(phases.data(), n);
            const PhaseBatch batch = phasesOf(phaseOf, cols.jd.subspan(i, n), out);
            const std::size_t done = batch.done;
            if (!batch.error.isEmpty()) {
                outcome = Outcome::Failed;
                run.failure = batch.error;
                run.periodZero = phaseOf.period == 0;
            }
            if (done > 0) {
                ctx.store.setPhases(i, out.first(done));
                // A hidden band is still phased: the exports read every phase.
                run.shown += drawShownDots(plot, shown, std::span<const float>(out.first(done)),
                                           cols.mag.subspan(i, done), r,
                                           cols.color.subspan(i, done), cols.band.subspan(i, done));
                drawn += done;
                i += done;
            }
            if (outcome != Outcome::Done)
                break;
            if (sinceYield.elapsed() >= yieldMs) {
                view.setProgress(static_cast<int>(std::min<std::size_t>(drawn, INT32_MAX)));
                pump.now();
                sinceYield.restart();
                // A star unloaded or loaded during the yield leaves nothing to
                // go on with: these rows are gone.
                if (!ctx.store.isBound()) {
                    outcome = Outcome::StoreChanged;
                    break;
                }
                cols = ctx.store.plotColumns();
                if (cols.jd.data() != jdData || cols.jd.size() != rows) {
                    outcome = Outcome::StoreChanged;
                    break;
                }
            }
        }
    } catch (const StoreError& e) {
        outcome = Outcome::Failed;
        run.failure = e.description();
    } catch (const CanvasError& e) {
        outcome = Outcome::Failed;
        run.failure = e.description();
    } catch (const std::exception& e) {
        outcome = Outcome::Failed;
        run.failure = QString::fromUtf8(e.what());
    }

    return run;
}

} // namespace

bool Plotter(Context& ctx, PlotView& view) {
    ProjectState& s = ctx.state;
    if (s.Plotting)
        return false;

    Canvas& plot = view.picView();
    plot.clear();
    view.picMagScale().clear();
    view.repaintCanvases();

    view.HidePlot();
    s.Plotting = true;
    const ClearOnExit clearPlotting{s.Plotting};
    view.setViewEnabled(false);
    view.showBusyCaption(QStringLiteral("Plotting. . . ."));
    view.showProgress(s.NumRecords);

    WriteJDScale(ctx, view);
    WriteMagScale(ctx, view);
    plot.clear();

    // Absolute value: a reversed axis still gives a positive radius.
    const double r = std::fabs(plot.pixelWidth());

    const PlotRun run = foldAndDraw(ctx, view, plot, r);
    const std::size_t drawn = run.drawn;
    const Outcome outcome = run.outcome;
    const bool quiet = outcome == Outcome::Done || (outcome == Outcome::Failed && run.periodZero);
    if (drawn == 0 && quiet) {
        // Nothing in the window, or a period of 0: expected states, said in the
        // caption alone. Any other failure is reported, drawn or not.
        view.setStarCaption(pointsCaption(s, 0));
    } else if (outcome == Outcome::Failed) {
        ctx.platform.reportError(run.failure, QStringLiteral("Plotter"));
    } else if (outcome == Outcome::Done) {
        const QString caption = pointsCaption(s, run.shown);
        view.setStarCaption(caption);
        s.PlotCaption = caption;
    }

    view.setViewEnabled(true);
    // lblPrg is hidden outright rather than left under picView.
    view.hideBusyCaption();
    view.ShowPlot();
    return true;
}

QString pointsCaption(const ProjectState& s, std::size_t points) {
    const QString count =
        QStringLiteral(" - (") + QString::number(points) + QStringLiteral(" Points)");
    if (s.XYZLoaded)
        return QStringLiteral("File: ") + s.XYZFileName.toUpper() + count;
    return QStringLiteral("   ") + s.StarName.trimmed().toUpper() + count;
}

} // namespace varilume
