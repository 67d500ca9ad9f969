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
    /// Lets update change the spectrum shown in place (a growing run's), without peaks.
    template <typename Update> void updateSpectrum(Update&& update) {
        update(spectrum_);
        peaks_.clear();
        redraw();
    }
    void clearSpectrum();
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
    SpectrumView view_;
    double dragFrom_ = -1;
    double dragTo_ = -1;
};

} // namespace varilume
