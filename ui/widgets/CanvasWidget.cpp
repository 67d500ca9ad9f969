#include "ui/widgets/CanvasWidget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace varilume {

CanvasWidget::CanvasWidget(QWidget* parent, std::int32_t background, std::int32_t foreground)
    : QWidget(parent), canvas_(1, 1, background, foreground) {
    setMouseTracking(true);
    // The canvas covers every pixel, so Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The window places the canvases itself with setGeometry.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CanvasWidget::refresh() {
    update();
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), canvas_.image(), event->rect());
}

void CanvasWidget::resizeEvent(QResizeEvent* event) {
    canvas_.resize(event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPointF user = canvas_.toUser(event->position());
    emit mouseMoved(user.x(), user.y());
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    const QPointF user = canvas_.toUser(event->position());
    emit mousePressed(user.x(), user.y(), event->button());
}

void CanvasWidget::leaveEvent(QEvent* event) {
    emit left();
    QWidget::leaveEvent(event);
}

} // namespace varilume
