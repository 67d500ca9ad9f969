#include "plot/Scales.h"

#include "canvas/Canvas.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace varilume {

namespace {

void label(Canvas& c, double x, double y, const QString& text) {
    c.setCurrentXY(x, y);
    c.print(text);
}

} // namespace

void Scaler(Context& ctx, Pictures& view, double xFrom, double xTo) {
    const ProjectState& s = ctx.state;
    try {
        // picView first: it fails on either empty range, so a failure leaves
        // all three canvases with their previous systems.
        view.picView().setCoords(xFrom, s.MinMag, xTo, s.MaxMag);
        view.picMagScale().setCoords(0, s.MinMag, 20, s.MaxMag);
        view.picJDScale().setCoords(xFrom, 0, xTo, 20);
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
            // The tick at 0.5 lies on the right edge; this one stays visible.
            c.line(0.497, 10, 0.497, 20);
            label(c, -0.5, -1, QStringLiteral("-0.5"));
            label(c, -0.01, -0.5, QStringLiteral("0.0"));
            label(c, 0.475, -1, QStringLiteral("0.5"));
        } else {
            // 21 ticks, the last at 0.9999999999999998.
            for (double x = -1; x <= 1; x += 0.1)
                c.line(x, 15, x, 20);
            for (double x : {-1.0, -0.5, 0.0, 0.5, 1.0})
                c.line(x, 10, x, 20);
            c.line(0.99, 10, 0.99, 20);
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
        const float lo = std::floor(ctx.state.MinMag);
        const float hi = std::floor(ctx.state.MaxMag);
        const double span = double(hi) - double(lo);
        // More whole magnitudes than the strip has pixel rows cannot be told apart;
        // such a range comes from a column that is not magnitudes.
        if (!std::isfinite(span) || span > std::max(c.heightPx(), 1))
            throw std::overflow_error("Overflow");
        // Counted steps instead of adding to a float: the same values for any
        // real magnitude, and no endless loop where m + 0.5 rounds back to m.
        const int wholeSteps = span < 0 ? -1 : static_cast<int>(span);
        for (int k = 0; k <= 2 * wholeSteps; ++k) {
            const float m = lo + 0.5f * static_cast<float>(k);
            c.line(0, m, 2, m);
        }
        for (int k = 0; k <= wholeSteps; ++k) {
            const float m = lo + static_cast<float>(k);
            c.line(0, m, 5, m);
            const double whole = m == 0 ? 0.0 : double(m); // no "-0"
            const bool signColumn = labels == MagLabels::SignColumn && whole >= 0;
            const QString text =
                (signColumn ? QStringLiteral(" ") : QString()) + QString::number(whole, 'f', 0);
            label(c, 6, m - c.textHeight(text) / 2, text);
        }
    } catch (const std::exception& e) {
        ctx.platform.reportError(describe(e), QStringLiteral("WriteMagScale"));
    }
}

} // namespace varilume
