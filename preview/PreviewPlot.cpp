#include "preview/PreviewPlot.h"

#include "canvas/Canvas.h"
#include "canvas/LabelInside.h"
#include "platform/EventPump.h"
#include "plot/PlotView.h"
#include "plot/Plotter.h"
#include "plot/Scales.h"
#include "plot/ShownDots.h"
#include "plot/ShownRange.h"
#include "preview/PreviewView.h"
#include "store/Context.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace varilume {

namespace {

// Rows drawn between two chances to yield: a millisecond or so of work, enough
// to share out over all cores.
constexpr std::size_t kRowsPerBlock = 1 << 16;
// No JD strip has room for more ticks than this; more means absurd data.
constexpr double kMaxTicks = 1e6;

double roundHalfEven(double v) {
    const double r = std::round(v); // halves away from zero
    if (std::abs(v - std::trunc(v)) == 0.5)
        return 2.0 * std::round(v / 2.0);
    return r;
}

// floor(q / 100) held as a single, times 100, back to a whole number.
std::int32_t wholeHundreds(std::int32_t q) {
    const float hundreds = static_cast<float>(std::floor(q / 100.0));
    return static_cast<std::int32_t>(std::lround(hundreds * 100.0f));
}

QString wholeNumber(double v) {
    // Beyond a 64-bit integer the conversion would be undefined.
    if (std::fabs(v) < 9e18)
        return QString::number(static_cast<qint64>(v));
    return QString::number(v, 'f', 0);
}

void finishPlot(ProjectState& state, PreviewView& view) {
    state.Plotting = false;
    view.setGoEnabled(true);
}

} // namespace

int PreviewJDStep(double span) {
    const double rounded = roundHalfEven(span);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max()))
        throw std::overflow_error("Overflow");
    const auto n = static_cast<std::int32_t>(rounded);

    std::int32_t step = wholeHundreds(n / 10);
    if (step == 0)
        step = 100;
    if (n / step > 11)
        step = wholeHundreds(n / 5);
    if (step != 0 && n / step < 2)
        step = 2 * static_cast<std::int32_t>(std::floor((n / 2) / 2.0));
    if (step == 0)
        step = 100;
    return step;
}

void PreviewScaler(Context& ctx, PreviewView& view) {
    Scaler(ctx, view, ctx.state.JDFrom, ctx.state.JDTo);
}

void PreviewJDScale(Context& ctx, PreviewView& view) {
    const ProjectState& s = ctx.state;
    try {
        Canvas& strip = view.picJDScale();
        strip.clear();
        const ShownRange jd = shownRange(s.JDFrom, s.JDTo, kWidenJD);
        const std::int32_t step = PreviewJDStep(jd.to - jd.from);

        // Every tick lies on a multiple of half a step (the step is even), so
        // only those days are visited, not every day of the window.
        const double half = std::abs(step) / 2;
        const double lo = std::floor(jd.from);
        const double hi = std::floor(jd.to);
        const double first = std::ceil(lo / half) * half;
        if (hi >= first && (hi - first) / half > kMaxTicks)
            throw std::overflow_error("Overflow");

        // Counted, not summed: far from zero x + half can round back to x and
        // a summing loop would never end.
        const double ticks = hi >= first ? std::floor((hi - first) / half) : -1;
        for (double k = 0; k <= ticks; ++k) {
            const double x = first + k * half;
            if (static_cast<float>(std::fmod(x, step)) == step / 2.0f)
                strip.line(x, 17.5, x, 20);
        }
        for (double k = 0; k <= ticks; ++k) {
            const double x = first + k * half;
            if (std::fmod(x, step) != 0)
                continue;
            strip.line(x, 15, x, 20);
            // Centred on its tick, but whole: the first and last move inwards.
            const QString label = wholeNumber(x);
            printInside(strip, x - strip.textWidth(label) / 2, -1, label);
        }
    } catch (const std::exception& e) {
        ctx.platform.reportError(describe(e), QStringLiteral("WriteJDScale"));
    }
}

void PreviewPlotter(Context& ctx, PreviewView& view, PlotView& mainWindow) {
    ProjectState& state = ctx.state;
    view.setGoEnabled(false);
    state.Plotting = true;

    std::size_t drawn = 0; // rows gone through
    std::size_t shown = 0; // of them, points of a band not hidden
    try {
        Canvas& canvas = view.picView();
        canvas.clear();
        view.repaintCanvases();
        mainWindow.HidePlot();

        const double radius = std::abs(canvas.pixelWidth());
        const auto [first, last] = ctx.store.window(state.JDFrom, state.JDTo);
        const std::vector<char> mask = shownBandMask(state, ctx.store);
        EventPump pump(ctx.platform);
        for (std::size_t i = first; i < last;) {
            // Taken afresh after every yield: the columns belong to the store.
            const ObsStore::PlotColumns cols = ctx.store.plotColumns();
            if (last > cols.jd.size())
                break;
            const std::size_t blockEnd = std::min(last, i + kRowsPerBlock);
            // JDs reach the canvas as doubles: as singles a JD near 2,450,000
            // resolves only a quarter of a day, too coarse for a zoomed window.
            // Each dot is outlined and filled in its own colour.
            const std::size_t n = blockEnd - i;
            shown += drawShownDots(canvas, mask, cols.jd.subspan(i, n), cols.mag.subspan(i, n),
                                   radius, cols.color.subspan(i, n), cols.band.subspan(i, n));
            i = blockEnd;
            drawn = i - first;
            pump.due();
            // A redraw started from a window event has run to its end meanwhile
            // and left its own picture: this one must not paint over it.
            if (!state.Plotting)
                return;
        }
    } catch (const std::exception& e) {
        // A failure is one whether or not a block was drawn before it.
        ctx.platform.reportError(describe(e), QStringLiteral("Plotter"));
        if (drawn == 0)
            mainWindow.ShowPlot();
        finishPlot(state, view);
        return;
    }

    if (drawn == 0) {
        // Nothing in the window to draw: not an error, the status line says so.
        view.setStarCaption(pointsCaption(state, 0));
        mainWindow.ShowPlot();
        view.repaintCanvases();
        finishPlot(state, view);
        return;
    }

    view.repaintCanvases();
    const QString caption = pointsCaption(state, shown);
    view.setStarCaption(caption);
    state.PlotCaption = caption;
    finishPlot(state, view);
}

void PreviewFullRedraw(Context& ctx, PreviewView& view, PlotView& mainWindow) {
    PreviewScaler(ctx, view);
    PreviewJDScale(ctx, view);
    WriteMagScale(ctx, view, MagLabels::Bare);
    PreviewPlotter(ctx, view, mainWindow);
}

void PreviewPlotRedraw(Context& ctx, PreviewView& view, PlotView& mainWindow) {
    PreviewScaler(ctx, view);
    PreviewPlotter(ctx, view, mainWindow);
}

} // namespace varilume
