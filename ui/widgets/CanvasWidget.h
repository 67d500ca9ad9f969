#pragma once

#include "canvas/Canvas.h"

#include <QWidget>

namespace varilume {

/// Shows a Canvas on screen. The canvas follows the widget's size (its drawing
/// and corners are kept, so the picture is cut or extended, not stretched) and
/// mouse positions are reported in the canvas's user coordinates. One widget
/// pixel is one canvas pixel.
class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    explicit CanvasWidget(QWidget* parent = nullptr, std::int32_t background = 0,
                          std::int32_t foreground = 0xFFFFFF);

    Canvas& canvas() { return canvas_; }
    const Canvas& canvas() const { return canvas_; }

    /// Schedules a repaint of what the canvas holds; call after drawing.
    void refresh();

signals:
    void mouseMoved(double x, double y);
    void mousePressed(double x, double y, Qt::MouseButton button);
    void left();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    Canvas canvas_;
};

} // namespace varilume
