#pragma once

#include "ui/search/SpectrumPicture.h"
#include "ui/widgets/CanvasWidget.h"

namespace varilume {

/// The spectrum on screen: drag to zoom, double-click to unzoom, double-click
/// on a numbered peak to take its period.
class SpectrumWidget : public CanvasWidget {
    Q_OBJECT
public:
    explicit SpectrumWidget(QWidget* parent = nullptr);

    void setSpectrum(Spectrum spectrum, std::vector<Peak> peaks);
    /// Lets update change the spectrum shown in place (a growing run's), without
    /// peaks; update(spectrum, changed) lists the index ranges it changed, so
    /// that only their part of the summary is looked at again.
    template <typename Update> void updateSpectrum(Update&& update) {
        update(spectrum_, changed_);
        peaks_.clear();
        valueBlocks_.update(spectrum_.values, changed_);
        windowBlocks_.rebuild(spectrum_.window);
        redraw();
    }
    /// The run that grew in view has ended with this result on the same grid:
    /// only what had not arrived yet is copied and summarised.
    void finishSpectrum(const Spectrum& final, std::vector<Peak> peaks);
    void clearSpectrum();
    /// Drops the values and peaks shown (a new run, other data), keeping the view.
    void clearValues() {
        updateSpectrum([](Spectrum& s, std::vector<IndexRange>& changed) {
            s.values.clear();
            changed.clear();
        });
    }
    const Spectrum& spectrum() const { return spectrum_; }
    void setAxis(SpectrumAxis axis);
    void setShowWindow(bool show);
    void setTrialPeriod(double period);
    const SpectrumView& view() const { return view_; }

    /// Zooms to the pixel columns [x0, x1] of the plot; unzoom() shows it all.
    void zoomPixels(double x0, double x1);
    void unzoom();
    /// What a double-click at pixel column x does.
    void doubleClickAt(double x);

signals:
    void peakActivated(double period);
    /// The frequency and period under the pointer (for a readout).
    void pointed(double frequency);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void redraw();
    SpectrumPicture picture() const;

    Spectrum spectrum_;
    std::vector<Peak> peaks_;
    // Summaries of spectrum_'s traces, kept in step with them: a redraw, or a
    // mouse move over eleven million frequencies, then costs microseconds.
    SpectrumBlocks valueBlocks_;
    SpectrumBlocks windowBlocks_;
    std::vector<IndexRange> changed_;
    SpectrumView view_;
    double dragFrom_ = -1;
    double dragTo_ = -1;
};

} // namespace varilume
