#pragma once

// The light curve folded at a period, drawn as a figure for a paper: the star
// and period in the title, phase 0 to 2 along the bottom, magnitude up the
// side with the brighter end up, ticks inside the frame and their labels
// clear of them. One drawing for every target (PNG, BMP, PDF).

#include <QPainter>
#include <QString>
#include <vector>

namespace varilume {

struct PhaseFigure {
    QString star;
    double period = 0; // days
    double epoch = 0;  // JD of phase 0
    std::vector<double> times;
    std::vector<double> mags;
    // A fitted model: magnitudes at phases 0, 1/n, ... of one cycle from
    // epoch, drawn as a line over both cycles (empty: none).
    std::vector<double> model;
};

/// The figure's size in the painter's logical units; drawPhaseFigure fills
/// (0, 0) to (FigureWidth, FigureHeight).
constexpr int FigureWidth = 1200;
constexpr int FigureHeight = 800;

/// Draws the figure; the painter's window must map the figure's size onto the device.
void drawPhaseFigure(QPainter& painter, const PhaseFigure& figure);

/// Tick marks of an axis from lo to hi: a step of 1, 2 or 5 times a power of
/// ten giving at least `least` ticks, and the decimals its labels need.
struct Ticks {
    std::vector<double> values;
    int decimals = 0;
};
Ticks niceTicks(double lo, double hi, int least = 4);

/// How a plot file is written, by its extension (case ignored).
enum class FigureFormat { None, Png, Bmp, Pdf };
FigureFormat figureFormatOf(const QString& path);

/// Writes the figure to path in the format its extension names; the reason
/// when it cannot (empty: written).
QString writePhaseFigure(const PhaseFigure& figure, const QString& path);

} // namespace varilume
