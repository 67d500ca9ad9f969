#include "ui/search/SpectrumWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace varilume {

SpectrumWidget::SpectrumWidget(QWidget* parent) : CanvasWidget(parent, 0xFFFFFF, 0) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(260, 180);
    redraw();
}

SpectrumPicture SpectrumWidget::picture() const {
    return SpectrumPicture(spectrum_, peaks_, view_, width(), height(), &valueBlocks_,
                           &windowBlocks_);
}

void SpectrumWidget::redraw() {
    picture().draw(canvas());
    refresh();
}

void SpectrumWidget::setSpectrum(Spectrum spectrum, std::vector<Peak> peaks) {
    spectrum_ = std::move(spectrum);
    peaks_ = std::move(peaks);
    valueBlocks_.rebuild(spectrum_.values);
    windowBlocks_.rebuild(spectrum_.window);
    redraw();
}

void SpectrumWidget::finishSpectrum(const Spectrum& final, std::vector<Peak> peaks) {
    // Automatic harmonics may end on another harmonics' spectrum than the one grown.
    const bool sameGrid =
        final.method == spectrum_.method && final.harmonics == spectrum_.harmonics &&
        final.grid.fmin == spectrum_.grid.fmin && final.grid.step == spectrum_.grid.step &&
        final.values.size() == spectrum_.values.size();
    if (!sameGrid) {
        setSpectrum(final, std::move(peaks));
        return;
    }
    // Values already shown are final; only the blocks with gaps are filled in.
    valueBlocks_.completeFrom(spectrum_.values, final.values);
    spectrum_.window = final.window;
    peaks_ = std::move(peaks);
    windowBlocks_.rebuild(spectrum_.window);
    redraw();
}

void SpectrumWidget::clearSpectrum() {
    spectrum_ = Spectrum{};
    peaks_.clear();
    valueBlocks_.rebuild(spectrum_.values);
    windowBlocks_.rebuild(spectrum_.window);
    view_.from = view_.to = 0;
    redraw();
}

void SpectrumWidget::setAxis(SpectrumAxis axis) {
    if (view_.axis == axis)
        return;
    // The zoom carries over: the same frequencies stay in view.
    if (view_.from != view_.to) {
        const double f0 = SpectrumPicture::frequencyOf(view_.axis, view_.from);
        const double f1 = SpectrumPicture::frequencyOf(view_.axis, view_.to);
        view_.from = SpectrumPicture::axisOf(axis, f0);
        view_.to = SpectrumPicture::axisOf(axis, f1);
    }
    view_.axis = axis;
    redraw();
}

void SpectrumWidget::setShowWindow(bool show) {
    view_.showWindow = show;
    redraw();
}

void SpectrumWidget::setTrialPeriod(double period) {
    if (view_.trialPeriod == period)
        return;
    view_.trialPeriod = period;
    redraw();
}

void SpectrumWidget::zoomPixels(double x0, double x1) {
    const SpectrumPicture p = picture();
    const double a = p.axisAt(std::min(x0, x1));
    const double b = p.axisAt(std::max(x0, x1));
    if (!(b > a) || !std::isfinite(a) || !std::isfinite(b))
        return;
    view_.from = a;
    view_.to = b;
    redraw();
}

void SpectrumWidget::unzoom() {
    view_.from = view_.to = 0;
    redraw();
}

void SpectrumWidget::doubleClickAt(double x) {
    const SpectrumPicture p = picture();
    if (const auto k = p.peakNear(x, 6))
        emit peakActivated(peaks_[*k].period);
    else
        unzoom();
}

void SpectrumWidget::resizeEvent(QResizeEvent* event) {
    CanvasWidget::resizeEvent(event);
    redraw();
}

void SpectrumWidget::paintEvent(QPaintEvent* event) {
    CanvasWidget::paintEvent(event);
    if (dragFrom_ >= 0 && std::fabs(dragTo_ - dragFrom_) > 1) {
        QPainter painter(this);
        painter.fillRect(
            QRectF(std::min(dragFrom_, dragTo_), 0, std::fabs(dragTo_ - dragFrom_), height()),
            QColor(0, 90, 200, 50));
    }
}

void SpectrumWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragFrom_ = dragTo_ = event->position().x();
}

void SpectrumWidget::mouseMoveEvent(QMouseEvent* event) {
    const SpectrumPicture p = picture();
    const double x = event->position().x();
    if (x >= p.left() && x <= p.right() && spectrum_.grid.count > 0)
        emit pointed(p.frequencyAt(x));
    if (dragFrom_ >= 0) {
        dragTo_ = x;
        update();
    }
}

void SpectrumWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragFrom_ < 0)
        return;
    const double from = dragFrom_;
    const double to = event->position().x();
    dragFrom_ = dragTo_ = -1;
    // A click is not a zoom: it takes a few pixels of drag.
    if (std::fabs(to - from) > 4)
        zoomPixels(from, to);
    else
        update();
}

void SpectrumWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    dragFrom_ = dragTo_ = -1;
    doubleClickAt(event->position().x());
}

} // namespace varilume
