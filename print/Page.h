#pragma once

#include "canvas/Canvas.h"

#include <QFont>
#include <QImage>
#include <QString>

namespace varilume {

struct ProjectState;

/// What the printed page shows: the main window's plot and magnitude strip as
/// they are on screen now, the caption of the last plot, the extremes of the
/// whole data and the trial period.
struct PageContent {
    QImage plot;
    QImage magScale;
    QString caption;
    double minJD = 0;
    double maxJD = 0;
    float minMag = 0;
    float maxMag = 0;
    float period = 0;
    bool twoCycles = false;
    /// Share of the plot's width on each side beyond the phase range (the
    /// screen plot keeps its end points off its edges).
    double plotMargin = 0;
};

/// The page of the current plot, from the state and the two screen images.
PageContent pageContent(const ProjectState& state, const QImage& plot, const QImage& magScale);

/// The values in which the printer's page and the bitmap differ; everything
/// else about the page is the same on every target.
struct PageStyle {
    int lineWidth = 3;          // frame and ticks, in pixels at referenceDpi
    double referenceDpi = 96;   // so that a sharper target keeps the same look
    double captionTop = 9;      // top of the plot caption
    bool labelsBold = true;     // the phase labels
    double extremesPoints = 10; // the four extremes
    bool extremesBold = true;

    /// 3 pixels at 96 dpi, caption at 9, bold labels, extremes in 10 pt bold.
    static PageStyle bitmap();
    /// 10 pixels at 300 dpi, caption at 8, plain labels, extremes in 11 pt plain.
    static PageStyle printer();
    /// The line width on a canvas of this many pixels per inch.
    int lineWidthAt(double dpi) const;
};

/// The page's typefaces: Times New Roman (serif) and Arial, or where they are
/// missing their metric-compatible free equivalents, so the texts keep their
/// widths and places.
QFont pageFont(bool serif, double points, bool bold);

/// Draws the whole page onto a canvas of any size and resolution, which gets
/// 100 x 100 units from its top left to its bottom right.
void drawPage(Canvas& canvas, const PageContent& content, const PageStyle& style);
/// The freshly drawn phase ticks and labels over the frame, for one or two
/// cycles, and the magnitude strip beside it.
void drawPhaseScale(Canvas& canvas, const PageContent& content, const PageStyle& style);

} // namespace varilume
