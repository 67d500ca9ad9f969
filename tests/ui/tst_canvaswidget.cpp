#include "ui/widgets/CanvasWidget.h"

#include <QSignalSpy>
#include <QtTest>

using namespace varilume;

namespace {
constexpr std::int32_t kBlack = 0x000000;
} // namespace

class TestCanvasWidget : public QObject {
    Q_OBJECT
private slots:
    // Guards mouse readouts in pixels instead of plot units.
    void widgetMouseInUserUnits() {
        CanvasWidget widget(nullptr, kBlack);
        widget.canvas().setCoords(-0.5, 8, 0.5, 13);
        widget.resize(200, 100);
        widget.show();
        QSignalSpy pressed(&widget, &CanvasWidget::mousePressed);
        QTest::mousePress(&widget, Qt::RightButton, Qt::NoModifier, QPoint(150, 75));
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(QPointF(pressed[0][0].toDouble(), pressed[0][1].toDouble()), QPointF(0.25, 11.75));
    }
};

QTEST_MAIN(TestCanvasWidget)
#include "tst_canvaswidget.moc"
