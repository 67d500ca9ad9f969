#pragma once

#include "platform/BusyView.h"
#include "plot/Pictures.h"

namespace varilume {

class Canvas;

/// What the phase plot needs from the main window: its three canvases, the
/// status caption and the switch between the plot look and the start screen.
class PlotView : public BusyView, public Pictures {
public:
    virtual QString starCaption() const = 0;
    /// picView takes no mouse input while disabled.
    virtual void setViewEnabled(bool enabled) = 0;
    /// Hides picView, picJDScale, picMagScale, lblStarName, prgLoad, fraUrCycles,
    /// lblPrg and fraAction, then shows the logo picORBIS.
    virtual void HidePlot() = 0;
    /// Shows picView, picJDScale, picMagScale and lblStarName, hides picORBIS,
    /// shows fraAction, hides prgLoad, repaints.
    virtual void ShowPlot() = 0;
    /// The four range labels of the period panel: Label5 (min JD), Label4 (max JD),
    /// Label6 (min Mag), Label3 (max Mag).
    virtual void setRangeLabels(const QString& minJD, const QString& maxJD, const QString& minMag,
                                const QString& maxMag) = 0;
};

} // namespace varilume
