#pragma once

#include "canvas/Canvas.h"
#include "platform/BusyView.h"
#include "plot/PlotView.h"
#include "preview/PreviewView.h"

#include <QList>
#include <QStringList>

namespace varilume::test {

/// The busy display as an importer sees it, every call kept.
class RecordingBusyView : public BusyView {
public:
    QStringList captions; // each caption shown
    /// "caption", "hide caption", "progress max N" and "hide progress", in order.
    QStringList events;
    bool captionShown = false;
    bool progressShown = false;

    void showBusyCaption(const QString& caption) override;
    void hideBusyCaption() override;
    void showProgress(int maximum) override;
    void setProgress(int) override {}
    void hideProgress() override;
};

/// The main window as the plot routines see it: real canvases that record what
/// is drawn on them, and a log of the other calls in order.
class RecordingPlotView : public PlotView {
public:
    /// picView of this size in pixels, picJDScale 30 high below it and
    /// picMagScale 40 wide beside it.
    explicit RecordingPlotView(int widthPx = 400, int heightPx = 300);

    Canvas view, jdScale, magScale;
    /// One line per call: "repaint", "caption <text>", "enabled 0|1", "HidePlot",
    /// "ShowPlot", "busy <caption>", "busy hidden", "progress of <maximum>" and
    /// "progress hidden". Progress values are kept apart.
    QStringList calls;
    /// When set (to state.Plotting), "enabled" and "ShowPlot" lines end in
    /// " plotting 0|1": whether the run still counted as going on then.
    const bool* plotting = nullptr;
    QString caption;

    Canvas& picView() override { return view; }
    Canvas& picJDScale() override { return jdScale; }
    Canvas& picMagScale() override { return magScale; }
    void repaintCanvases() override { calls << "repaint"; }
    void setStarCaption(const QString& text) override;
    QString starCaption() const override { return caption; }
    void setViewEnabled(bool on) override {
        calls << withPlotting("enabled " + QString::number(on));
    }
    void HidePlot() override { calls << QStringLiteral("HidePlot"); }
    void ShowPlot() override { calls << withPlotting("ShowPlot"); }
    void setRangeLabels(const QString&, const QString&, const QString&, const QString&) override {}
    void showBusyCaption(const QString& text) override { calls << "busy " + text; }
    void hideBusyCaption() override { calls << "busy hidden"; }
    void showProgress(int maximum) override { calls << "progress of " + QString::number(maximum); }
    void setProgress(int) override {}
    void hideProgress() override { calls << "progress hidden"; }

private:
    QString withPlotting(const QString& call) const;
};

/// The preview window with its canvases at their usual size (15 twips to the
/// pixel), recording what is drawn on them.
class FakePreviewView : public PreviewView {
public:
    FakePreviewView();

    Canvas view{681, 353}, jdScale{681, 25}, magScale{25, 353};
    QString caption;

    Canvas& picView() override { return view; }
    Canvas& picJDScale() override { return jdScale; }
    Canvas& picMagScale() override { return magScale; }
    void repaintCanvases() override {}
    void setStarCaption(const QString& text) override { caption = text; }
    void setGoEnabled(bool) override {}
};

} // namespace varilume::test
