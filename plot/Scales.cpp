#include "plot/Scales.h"

#include "canvas/Canvas.h"
#include "canvas/LabelInside.h"
#include "plot/MagTicks.h"
#include "plot/ShownRange.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <vector>

namespace varilume {

namespace {

// An end label is moved inwards rather than cut at the strip's edge.
void label(Canvas& c, double x, double y, const QString& text) {
    printInside(c, x, y, text);
}

// The range widened so that it fills px pixels less kPlotEdgePx at each end.
ShownRange edged(ShownRange r, int px) {
    if (px <= 4 * kPlotEdgePx)
        return r;
    const double pad = (r.to - r.from) * kPlotEdgePx / (px - 2 * kPlotEdgePx);
    return {r.from - pad, r.to + pad};
}

} // namespace

void Scaler(Context& ctx, Pictures& view, double xFrom, double xTo) {
    const ProjectState& s = ctx.state;
    // One date or one magnitude is shown widened, as a single observation is.
    const ShownRange x = edged(shownRange(xFrom, xTo, kWidenJD), view.picView().widthPx());
    const ShownRange mag =
        edged(shownRange(s.MinMag, s.MaxMag, kWidenMag), view.picView().heightPx());
    try {
        // picView first: it is the one that can fail, so a failure leaves all
        // three canvases with their previous systems.
        view.picView().setCoords(x.from, mag.from, x.to, mag.to);
        view.picMagScale().setCoords(0, mag.from, 20, mag.to);
        view.picJDScale().setCoords(x.from, 0, x.to, 20);
    } catch (const std::exception& e) {
        const bool noData = s.MinJD == 0 && s.MinMag == 0 && s.MaxJD == 0 && s.MaxMag == 0;
        if (!noData)
            ctx.platform.reportError(describe(e), QStringLiteral("Scaler"));
    }
}

void Scaler(Context& ctx, PlotView& view) {
    const double half = ctx.state.TwoCycles ? 1.0 : 0.5;
    Scaler(ctx, view, -half, half);
}

void WriteJDScale(Context& ctx, PlotView& view) {
    Canvas& c = view.picJDScale();
    try {
        c.clear();
        if (!ctx.state.TwoCycles) {
            // Accumulated in double on purpose: the positions follow the sum,
            // 11 ticks with the last at 0.5.
            for (double x = -0.5; x <= 0.5; x += 0.1)
                c.line(x, 15, x, 20);
            for (double x : {-0.5, 0.0, 0.5})
                c.line(x, 10, x, 20);
            label(c, -0.5, -1, QStringLiteral("-0.5"));
            label(c, -0.01, -0.5, QStringLiteral("0.0"));
            label(c, 0.475, -1, QStringLiteral("0.5"));
        } else {
            // 21 ticks, the last at 0.9999999999999998.
            for (double x = -1; x <= 1; x += 0.1)
                c.line(x, 15, x, 20);
            for (double x : {-1.0, -0.5, 0.0, 0.5, 1.0})
                c.line(x, 10, x, 20);
            const QString zero = QStringLiteral("0.0");
            label(c, -c.textWidth(zero) / 2, -1, zero);
            label(c, -1, -1, QStringLiteral("-1.0"));
            label(c, 0.95, -1, QStringLiteral("1.0"));
        }
    } catch (const std::exception& e) {
        ctx.platform.reportError(describe(e), QStringLiteral("WriteJDScale"));
    }
}

void WriteMagScale(Context& ctx, Pictures& view, MagLabels labels) {
    Canvas& c = view.picMagScale();
    try {
        c.clear();
        view.repaintCanvases();
        // More whole magnitudes than the strip has pixel rows cannot be told apart;
        // such a range comes from a column that is not magnitudes.
        const double span =
            std::floor(double(ctx.state.MaxMag)) - std::floor(double(ctx.state.MinMag));
        if (!std::isfinite(span) || span > std::max(c.heightPx(), 1))
            throw std::overflow_error("Overflow");
        const ShownRange mag = shownRange(ctx.state.MinMag, ctx.state.MaxMag, kWidenMag);
        const MagTicks ticks =
            planMagTicks(static_cast<float>(mag.from), static_cast<float>(mag.to),
                         c.textHeight(QStringLiteral("0")));
        // A label keeps a few pixels from its tick: a tick running into "15.6"
        // reads as "-15.6". It goes at 6, or right of that when 6 is too close
        // to the tick's end at 5, or left where it would not fit whole; then
        // its ticks stop short of it.
        const double px = 20.0 / std::max(c.widthPx(), 1); // strip units per pixel
        const double gap = 3 * px;
        struct Label {
            double m;
            QString text;
            double left;
        };
        std::vector<Label> texts;
        for (double m : ticks.labelled) {
            // The whole magnitude below the range (floor of MinMag) has its tick
            // off the strip; its label, moved inwards, would name the wrong place.
            if (!magOnStrip(m, mag))
                continue;
            const double value = m == 0 ? 0.0 : m; // no "-0"
            // Whole labels may keep a blank for the sign; a fractional one needs
            // that room for its digits on the narrow strip.
            const bool signColumn =
                labels == MagLabels::SignColumn && value >= 0 && ticks.decimals == 0;
            const QString text = (signColumn ? QStringLiteral(" ") : QString()) +
                                 QString::number(value, 'f', ticks.decimals);
            // As printInside places it: a pixel to spare after the measured width.
            const double width = std::ceil(c.textWidth(text) / px) * px + px;
            // The blank of a sign column keeps the digits clear of the tick.
            const double wanted = signColumn ? 6.0 : std::max(6.0, 5.0 + gap);
            texts.push_back({m, text, std::max(0.0, std::min(wanted, 20.0 - width))});
        }
        const auto tickEnd = [&](double m, double length) {
            for (const Label& l : texts) {
                if (std::fabs(l.m - m) >= 1e-9)
                    continue;
                const double digits =
                    l.text.startsWith(u' ') ? l.left + c.textWidth(QStringLiteral(" ")) : l.left;
                return std::min(length, digits - gap);
            }
            return length;
        };
        for (double m : ticks.minor)
            if (const double end = tickEnd(m, 2); end > 0)
                c.line(0, m, end, m);
        for (double m : ticks.labelled)
            if (const double end = tickEnd(m, 5); end > 0)
                c.line(0, m, end, m);
        for (const Label& l : texts)
            label(c, l.left, l.m - c.textHeight(l.text) / 2, l.text);
    } catch (const std::exception& e) {
        ctx.platform.reportError(describe(e), QStringLiteral("WriteMagScale"));
    }
}

} // namespace varilume
