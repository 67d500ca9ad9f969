#pragma once

#include "canvas/Canvas.h"
#include "plot/PlotView.h"

#include <QString>

namespace varilume {

/// The main window's three canvases at their design size (10215 x 5295
/// twips), with no window around them: for plots drawn off screen (the batch
/// command's picture, the benchmark).
class OffscreenPlotView : public PlotView {
public:
    Canvas view{681, 353}, jd{681, 25}, mag{25, 353};
    QString caption;
    Canvas& picView() override { return view; }
    Canvas& picJDScale() override { return jd; }
    Canvas& picMagScale() override { return mag; }
    void repaintCanvases() override {}
    void setStarCaption(const QString& c) override { caption = c; }
    QString starCaption() const override { return caption; }
    void setViewEnabled(bool) override {}
    void HidePlot() override {}
    void ShowPlot() override {}
    void setRangeLabels(const QString&, const QString&, const QString&, const QString&) override {}
    void showBusyCaption(const QString&) override {}
    void hideBusyCaption() override {}
    void showProgress(int) override {}
    void setProgress(int) override {}
    void hideProgress() override {}
};

} // namespace varilume
