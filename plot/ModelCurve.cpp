#include "plot/ModelCurve.h"

namespace varilume {

double modelAtPhase(const FourierFit& fit, double midJD, double x) {
    return fourierModel(fit, midJD + x * fit.period.value);
}

void drawModelCurve(Canvas& plot, const ProjectState& state, const FourierFit& fit, int width) {
    if (!fit.ok || !(fit.period.value > 0))
        return;
    const double from = state.TwoCycles ? -1.0 : -0.5;
    const int cycles = state.TwoCycles ? 2 : 1;
    const int segments = ModelCurveSegments * cycles;
    const int oldWidth = plot.lineWidth();
    plot.setLineWidth(width);
    double x0 = from;
    double y0 = modelAtPhase(fit, state.MidJD, x0);
    for (int i = 1; i <= segments; ++i) {
        const double x1 = from + double(cycles) * i / segments;
        const double y1 = modelAtPhase(fit, state.MidJD, x1);
        plot.line(x0, y0, x1, y1, ModelCurveColor);
        x0 = x1;
        y0 = y1;
    }
    plot.setLineWidth(oldWidth);
}

} // namespace varilume
