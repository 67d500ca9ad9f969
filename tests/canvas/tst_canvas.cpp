#include "canvas/Canvas.h"
#include "ui/widgets/CanvasWidget.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <limits>

using namespace varilume;

namespace {

constexpr std::int32_t kBlack = 0x000000;
constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kRed = 0x0000FF;
constexpr std::int32_t kGreen = 0x00FF00;
constexpr std::int32_t kGrey = 0x969696;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::int32_t pixel(const Canvas& canvas, int x, int y) {
    return rgbValue(canvas.image().pixelColor(x, y));
}

int countColour(const Canvas& canvas, std::int32_t rgb) {
    int n = 0;
    for (int y = 0; y < canvas.heightPx(); ++y)
        for (int x = 0; x < canvas.widthPx(); ++x)
            n += pixel(canvas, x, y) == rgb ? 1 : 0;
    return n;
}

// Bounding box of every pixel not in the background colour.
QRect inkBox(const Canvas& canvas) {
    QRect box;
    for (int y = 0; y < canvas.heightPx(); ++y)
        for (int x = 0; x < canvas.widthPx(); ++x)
            if (pixel(canvas, x, y) != canvas.background())
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TestCanvas : public QObject {
    Q_OBJECT

private slots:
    void mapping_data() {
        QTest::addColumn<QRectF>("corners"); // left, top, right - left, bottom - top
        QTest::addColumn<QPointF>("user");
        QTest::addColumn<QPointF>("device");
        QTest::addColumn<QPointF>("pixelSize"); // pixelWidth, pixelHeight
        QTest::addColumn<QString>("error");
        auto row = [](const char* name, QRectF corners, QPointF user, QPointF device,
                      QPointF pixelSize, const char* error = "") {
            QTest::addRow("%s", name) << corners << user << device << pixelSize << error;
        };
        row("magnitudes grow downward", {-0.5, 8, 1, 5}, {0, 10.5}, {100, 50}, {0.005, 0.05});
        row("magnitudes upside down", {-0.5, 13, 1, -5}, {0.25, 12}, {150, 20}, {0.005, -0.05});
        row("reversed x", {10, 0, -10, 100}, {7.5, 30}, {50, 30}, {-0.05, 1});
        row("julian dates", {2450000, 0, 400, 20}, {2450100, 5}, {50, 25}, {2, 0.2});
        // A failed change keeps the system set before it: x -1 to 1, y 8 to 13.
        const char* bad = "Invalid procedure call or argument";
        row("equal x", {3, 8, 0, 5}, {0.5, 10.5}, {150, 50}, {0.01, 0.05}, bad);
        row("equal y (all magnitudes alike)", {-0.5, 9, 1, 0}, {0.5, 10.5}, {150, 50}, {0.01, 0.05},
            bad);
        row("not a number", {kNaN, 0, 1, 1}, {0.5, 10.5}, {150, 50}, {0.01, 0.05}, bad);
    }

    // Guards a wrong mapping either way (above all on reversed axes), a pixel size
    // without its axis's sign (the plot's dot radius), and a failed coordinate
    // change leaving a half-set or degenerate system.
    void mapping() {
        QFETCH(QRectF, corners);
        QFETCH(QPointF, user);
        QFETCH(QPointF, device);
        QFETCH(QPointF, pixelSize);
        QFETCH(QString, error);
        Canvas canvas(200, 100);
        canvas.setCoords(-1, 8, 1, 13);
        QString message;
        try {
            canvas.setCoords(corners.left(), corners.top(), corners.right(), corners.bottom());
        } catch (const CanvasError& e) {
            message = e.description();
        }
        QCOMPARE(message, error);
        QCOMPARE(canvas.toDevice(user.x(), user.y()), device);
        QCOMPARE(canvas.toUser(device), user);
        QCOMPARE(QPointF(canvas.pixelWidth(), canvas.pixelHeight()), pixelSize);
        // The smallest dot lands on the pixel that holds its centre.
        canvas.dot(user.x(), user.y(), 0, kRed);
        QCOMPARE(pixel(canvas, int(device.x()), int(device.y())), kRed);
        QCOMPARE(countColour(canvas, kRed), 1);
    }

    // Guards a resize that wipes the drawing or keeps the old scale, and a clear()
    // that misses pixels or leaves the text position where it was.
    void resizeAndClear() {
        Canvas canvas(100, 100, kBlack);
        canvas.setCoords(-1, 8, 1, 13);
        const QPointF user = canvas.toUser(QPointF(10.5, 10.5));
        canvas.dot(user.x(), user.y(), 0, kRed);
        canvas.resize(200, 150);
        QCOMPARE(canvas.image().size(), QSize(200, 150));
        QCOMPARE(pixel(canvas, 10, 10), kRed);
        QCOMPARE(pixel(canvas, 180, 140), kBlack);
        QCOMPARE(canvas.toDevice(0, 10.5), QPointF(100, 75));
        canvas.resize(0, -5);
        QCOMPARE(canvas.image().size(), QSize(1, 1));

        canvas.resize(60, 40);
        canvas.setCurrentXY(0.5, 11);
        canvas.setBackground(kWhite);
        QCOMPARE(pixel(canvas, 0, 0), kBlack);
        canvas.clear();
        QCOMPARE(countColour(canvas, kWhite), 60 * 40);
        QCOMPARE(QPointF(canvas.currentX(), canvas.currentY()), QPointF(-1, 8));
    }

    void drawing_data() {
        QTest::addColumn<QRectF>("corners");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QLineF>("at");    // line ends, rect corners, or a dot's centre and radius
        QTest::addColumn<QPoint>("probe"); // a line's first pixel, a dot's centre
        QTest::addColumn<QRect>("ink");
        QTest::addColumn<int>("outline"); // -1: a painted circle, not counted
        QTest::addColumn<int>("fill");
        auto row = [](const char* name, QRectF corners, const char* shape, QLineF at, QPoint probe,
                      QRect ink, int outline, int fill) {
            QTest::addRow("%s", name) << corners << shape << at << probe << ink << outline << fill;
        };
        const QRectF page(0, 0, 100, 100), phase(-0.5, 0, 1, 20), tenths(0, 0, 10, 10);
        row("line on reversed x", {10, 0, -10, 100}, "line", {9, 5, 5, 5}, {10, 5}, {10, 5, 41, 1},
            41, 0);
        row("phase tick to the bottom edge", phase, "line", {0, 15, 0, 20}, {50, 75},
            {50, 75, 1, 25}, 25, 0);
        // -0.5 + 0.1 + 0.1 + 0.1 maps to a hair below pixel 30.
        row("accumulated phase step, backwards", phase, "line",
            {-0.5 + 0.1 + 0.1 + 0.1, 15, 0.1 - 0.5, 20}, {30, 75}, {10, 75, 21, 25}, 25, 0);
        row("rectangle outline, far corner included", page, "rect", {30, 20, 10, 10}, {30, 20},
            {10, 10, 21, 11}, 60, 0);
        row("printed frame three pixels wide", page, "thick line", {10, 50, 90, 50}, {10, 50},
            {10, 49, 80, 3}, 240, 0);
        row("one-pixel dot: a plus", tenths, "dot", {2.05, 2.05, 0.1, 0}, {20, 20}, {19, 19, 3, 3},
            4, 1);
        row("one-pixel dot on reversed x", {10, 0, -10, 10}, "dot", {7.95, 2.05, 0.1, 0}, {20, 20},
            {19, 19, 3, 3}, 4, 1);
        row("two-pixel dot: round block", tenths, "dot", {2.05, 2.05, 0.2, 0}, {20, 20},
            {18, 18, 5, 5}, 12, 9);
        row("ten-pixel dot: painted", tenths, "dot", {2.05, 2.05, 1, 0}, {20, 20}, {10, 10, 21, 21},
            -1, -1);
        row("dot over the top-right corner", page, "dot", {99.5, 0.5, 1, 0}, {99, 0}, {98, 0, 2, 2},
            2, 1);
        row("dot over the bottom-left corner", page, "dot", {0.5, 99.5, 1, 0}, {0, 99},
            {0, 98, 2, 2}, 2, 1);
        row("dot far outside", page, "dot", {-5e9, 3e12, 1, 0}, {}, {}, 0, 0);
        row("dot at NaN", page, "dot", {10, kNaN, 2, 0}, {}, {}, 0, 0);
        row("dot of infinite radius", page, "dot", {10, 10, kInf, 0}, {}, {}, 0, 0);
    }

    // Guards lines that miss their end pixels or run one pixel too far, a filled
    // rectangle, an ignored line width, the dot shapes and their outline / fill
    // split, dot() not in one colour or changing the fill colour, writes outside
    // the image (dots index the pixels themselves) and crashes on non-numbers.
    void drawing() {
        QFETCH(QRectF, corners);
        QFETCH(QString, shape);
        QFETCH(QLineF, at);
        QFETCH(QPoint, probe);
        QFETCH(QRect, ink);
        QFETCH(int, outline);
        QFETCH(int, fill);
        Canvas canvas(100, 100, kBlack, kRed);
        canvas.setCoords(corners.left(), corners.top(), corners.right(), corners.bottom());
        canvas.setFillColor(kGreen);
        canvas.setLineWidth(shape == "thick line" ? 3 : 1);
        if (shape == "rect")
            canvas.rect(at.x1(), at.y1(), at.x2(), at.y2());
        else if (shape == "dot")
            canvas.circle(at.x1(), at.y1(), at.x2(), kRed);
        else
            canvas.line(at.x1(), at.y1(), at.x2(), at.y2());
        const int red = countColour(canvas, kRed);
        const int green = countColour(canvas, kGreen);
        QCOMPARE(inkBox(canvas), ink);
        if (outline >= 0)
            QCOMPARE(std::pair(red, green), std::pair(outline, fill));
        // Literal colours, so that a swapped byte order shows.
        if (!ink.isEmpty())
            QCOMPARE(canvas.image().pixelColor(probe),
                     green ? QColor(0, 255, 0) : QColor(255, 0, 0));
        if (shape != "dot")
            return;
        canvas.clear();
        canvas.dot(at.x1(), at.y1(), at.x2(), kGrey);
        QCOMPARE(countColour(canvas, kGrey), red + green);
        QCOMPARE(canvas.fillColor(), kGreen);
        // Lines, frames and text through the same point must not fail either.
        canvas.line(at.x1(), at.y1(), 20, 15);
        canvas.setCurrentXY(at.x1(), at.y1());
        canvas.print(QStringLiteral("x"));
        canvas.rect(at.x1(), at.y1(), 20, 15);
    }

    void printPositionAndAdvance_data() {
        QTest::addColumn<QRectF>("corners");
        QTest::addColumn<double>("direction");
        QTest::addRow("magnitude strip") << QRectF(0, 8, 20, 5) << 1.0;
        QTest::addRow("y growing upward") << QRectF(0, 13, 20, -5) << -1.0;
    }

    // Guards labels placed by their baseline instead of their top-left corner, a
    // text position that does not move to the next line, and text measures that
    // ignore the target's resolution (printer vs screen).
    void printPositionAndAdvance() {
        QFETCH(QRectF, corners);
        QFETCH(double, direction);
        Canvas canvas(200, 200, kBlack, kWhite);
        canvas.setCoords(corners.left(), corners.top(), corners.right(), corners.bottom());
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSize(15); // 20 pixels on screen
        canvas.setFont(font);
        const QPointF at = canvas.toUser(QPointF(40, 60));
        const double w = canvas.textWidth(QStringLiteral("12"));
        const double h = canvas.textHeight(QStringLiteral("12"));
        canvas.setCurrentXY(at.x(), at.y());
        canvas.print(QStringLiteral("12"));
        QCOMPARE(QPointF(canvas.currentX(), canvas.currentY()),
                 QPointF(corners.left(), at.y() + direction * h));
        const QRect ink = inkBox(canvas);
        const QRect cell(40, 60, qRound(w / std::fabs(canvas.pixelWidth())),
                         qRound(h / std::fabs(canvas.pixelHeight())));
        QVERIFY2(!ink.isEmpty() && cell.adjusted(-1, -1, 1, 1).contains(ink), "ink off the cell");
        // The glyphs fill most of the cell: the top-left corner is the anchor.
        QVERIFY(ink.top() < 60 + cell.height() / 2 && ink.left() < 40 + cell.width() / 2);
        canvas.setDpi(300);
        const double ratio = canvas.textHeight(QStringLiteral("12")) / h;
        QVERIFY2(std::fabs(ratio - 300.0 / 96.0) < 0.15, qPrintable(QString::number(ratio)));
    }

    // Guards ops recorded in device units, lost, or recorded while recording is off.
    void recordingKeepsUserUnits() {
        Canvas canvas(100, 100, kBlack, kWhite);
        canvas.setCoords(-0.5, 0, 0.5, 20);
        canvas.line(0, 15, 0, 20);
        canvas.setRecording(true);
        canvas.clear();
        canvas.line(-0.5, 10, -0.5, 20);
        canvas.setFillColor(kGreen);
        canvas.circle(0.25, 3, 0.01, kRed);
        canvas.dot(0.1, 4, 0.01, kGrey);
        canvas.setCurrentXY(0.475, -1);
        canvas.print(QStringLiteral("0.5"));
        canvas.setLineWidth(3);
        canvas.rect(-0.4, 1, 0.4, 19);
        canvas.drawImage(-0.5, 0, 1, 20, QImage(2, 2, QImage::Format_RGB32), true);
        canvas.setRecording(false);
        canvas.line(0, 0, 0, 1);

        const std::vector<Canvas::Op>& ops = canvas.ops();
        QList<int> kinds;
        for (const Canvas::Op& op : ops)
            kinds << op.kind;
        using K = Canvas::Op;
        QCOMPARE(kinds,
                 (QList<int>{K::Clear, K::Line, K::Circle, K::Circle, K::Text, K::Rect, K::Image}));
        QCOMPARE(QLineF(ops[1].x1, ops[1].y1, ops[1].x2, ops[1].y2), QLineF(-0.5, 10, -0.5, 20));
        QCOMPARE(ops[1].color, kWhite);
        QCOMPARE(QPointF(ops[2].x1, ops[2].y1), QPointF(0.25, 3));
        QCOMPARE(ops[2].x2, 0.01);
        QCOMPARE(std::pair(ops[2].color, ops[2].fill), std::pair(kRed, kGreen));
        QCOMPARE(ops[3].fill, kGrey);
        QCOMPARE(ops[4].text, QStringLiteral("0.5"));
        QCOMPARE(QPointF(ops[4].x1, ops[4].y1), QPointF(0.475, -1));
        QCOMPARE(ops[5].lineWidth, 3);
        QCOMPARE(QLineF(ops[6].x1, ops[6].y1, ops[6].x2, ops[6].y2), QLineF(-0.5, 0, 0.5, 20));
        QVERIFY(ops[6].invert);
        canvas.clearOps();
        QVERIFY(canvas.ops().empty());
    }

    void drawImage_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("invert");
        QTest::addColumn<int>("background"); // where the black plot lands
        QTest::addColumn<int>("dot");        // where the red point lands
        QTest::addRow("white page shows the complement") << kWhite << true << kWhite << 0xFFFF00;
        QTest::addRow("plain copy") << kWhite << false << kBlack << kRed;
        QTest::addRow("exclusive-or with a grey page") << kGrey << true << kGrey << (kGrey ^ kRed);
    }

    // Guards the printed plot's colours: the black plot must come out white and
    // each point its complement, stretched over the frame.
    void drawImage() {
        QFETCH(int, page);
        QFETCH(bool, invert);
        QFETCH(int, background);
        QFETCH(int, dot);
        Canvas plot(4, 2, kBlack);
        plot.setCoords(0, 0, 4, 2);
        plot.dot(3.5, 0.5, 0, kRed);
        Canvas canvas(100, 100, page);
        canvas.setCoords(0, 0, 100, 100);
        canvas.drawImage(10, 20, 80, 40, plot.image(), invert);
        // Each source pixel covers 20 x 20 target pixels.
        QCOMPARE(pixel(canvas, 10, 20), background);
        QCOMPARE(pixel(canvas, 69, 59), background);
        QCOMPARE(pixel(canvas, 70, 20), dot);
        QCOMPARE(pixel(canvas, 89, 39), dot);
        QCOMPARE(countColour(canvas, dot), 400);
        QCOMPARE(pixel(canvas, 9, 20), page);
        QCOMPARE(pixel(canvas, 90, 20), page);
        QCOMPARE(pixel(canvas, 50, 60), page);
    }

    // Guards a widget whose canvas does not follow its size or is not shown, and
    // mouse readouts in pixels instead of plot units.
    void widget() {
        CanvasWidget widget(nullptr, kBlack);
        widget.canvas().setCoords(-0.5, 8, 0.5, 13);
        widget.setGeometry(0, 0, 200, 100);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QCOMPARE(widget.canvas().image().size(), QSize(200, 100));
        QVERIFY(widget.hasMouseTracking());
        QSignalSpy moved(&widget, &CanvasWidget::mouseMoved);
        QSignalSpy pressed(&widget, &CanvasWidget::mousePressed);
        QMouseEvent move(QEvent::MouseMove, QPointF(50, 25), widget.mapToGlobal(QPointF(50, 25)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &move);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(QPointF(moved[0][0].toDouble(), moved[0][1].toDouble()), QPointF(-0.25, 9.25));
        QTest::mousePress(&widget, Qt::RightButton, Qt::NoModifier, QPoint(150, 75));
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(QPointF(pressed[0][0].toDouble(), pressed[0][1].toDouble()), QPointF(0.25, 11.75));
        QCOMPARE(pressed[0][2].value<Qt::MouseButton>(), Qt::RightButton);

        widget.canvas().dot(0, 9, 0, kRed);
        widget.refresh();
        widget.resize(300, 120);
        QTRY_COMPARE(widget.canvas().image().size(), QSize(300, 120));
        QCOMPARE(widget.canvas().toDevice(0, 9), QPointF(150, 24));
        QCOMPARE(widget.grab().toImage().pixelColor(100, 20), rgbColor(kRed));
    }
};

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
