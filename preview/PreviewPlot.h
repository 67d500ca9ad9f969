#pragma once

namespace varilume {

struct Context;
class PreviewView;
class PlotView;

/// Distance in days between the labelled ticks of the preview's JD scale for a
/// window of `span` days: about a tenth (at most a fifth) of the span in whole
/// hundreds, an even number of days for short spans, 100 for spans below 4.
/// Throws std::overflow_error when the span does not fit a 32-bit count.
int PreviewJDStep(double span);

/// Coordinate systems of the preview: Scaler over the JD window JDFrom..JDTo.
void PreviewScaler(Context& ctx, PreviewView& view);
/// Clears the JD strip and draws its ticks and whole-day labels.
void PreviewJDScale(Context& ctx, PreviewView& view);
/// Draws every observation of the JD window that is not a fainter-than mark,
/// each dot in its own colour, and writes the status line and PlotCaption.
/// The main window is switched to its look without a plot meanwhile.
void PreviewPlotter(Context& ctx, PreviewView& view, PlotView& mainWindow);

/// Scaler, JD scale, magnitude scale and plot.
void PreviewFullRedraw(Context& ctx, PreviewView& view, PlotView& mainWindow);
/// Scaler and plot; the scale strips keep what they show.
void PreviewPlotRedraw(Context& ctx, PreviewView& view, PlotView& mainWindow);

} // namespace varilume
