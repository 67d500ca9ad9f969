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
constexpr std::int32_t kGrey = 150 + 256 * 150 + 65536 * 150;

std::int32_t pixel(const Canvas& canvas, int x, int y) {
    return rgbValue(QColor(canvas.image().pixel(x, y)));
}

int countColour(const Canvas& canvas, std::int32_t rgb) {
    const QImage& img = canvas.image();
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            n += rgbValue(QColor(img.pixel(x, y))) == rgb ? 1 : 0;
        }
    }
    return n;
}

// Bounding box of every pixel not in the background colour.
QRect inkBox(const Canvas& canvas) {
    const QImage& img = canvas.image();
    QRect box;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (rgbValue(QColor(img.pixel(x, y))) != canvas.background()) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

} // namespace

class TestCanvas : public QObject {
    Q_OBJECT

private slots:
    void colourValues_data();
    void colourValues();
    void mapping_data();
    void mapping();
    void invalidCoordsKeepOldSystem_data();
    void invalidCoordsKeepOldSystem();
    void pixelSize_data();
    void pixelSize();
    void resizeKeepsDrawingAndCorners();
    void clearFillsAndResetsPosition();
    void lineEndpoints_data();
    void lineEndpoints();
    void lineWidth();
    void rectOutline();
    void printPositionAndAdvance_data();
    void printPositionAndAdvance();
    void dpiScalesTextMeasures();
    void smallDotStamps_data();
    void smallDotStamps();
    void largeCircleOutlineAndFill();
    void drawingFarOutsideIsSafe_data();
    void drawingFarOutsideIsSafe();
    void recordingKeepsUserUnits();
    void drawImage_data();
    void drawImage();
    void widgetFollowsItsSize();
    void widgetReportsUserCoordinates();
};

void TestCanvas::colourValues_data() {
    QTest::addColumn<QColor>("color");
    QTest::addColumn<int>("value");
    QTest::addRow("red is the low byte") << QColor(255, 0, 0) << 255;
    QTest::addRow("green is the middle byte") << QColor(0, 255, 0) << 65280;
    QTest::addRow("blue is the high byte") << QColor(0, 0, 255) << 16711680;
    QTest::addRow("mixed") << QColor(1, 2, 3) << 1 + 256 * 2 + 65536 * 3;
}

// Guards a swapped byte order between stored colour values and drawn pixels.
void TestCanvas::colourValues() {
    QFETCH(QColor, color);
    QFETCH(int, value);
    QCOMPARE(rgbValue(color), value);
    QCOMPARE(rgbColor(value), color);
    Canvas canvas(4, 4, value);
    QCOMPARE(QColor(canvas.image().pixel(1, 1)), color);
}

void TestCanvas::mapping_data() {
    QTest::addColumn<QRectF>("corners"); // left, top, right - left, bottom - top
    QTest::addColumn<QPointF>("user");
    QTest::addColumn<QPointF>("device");
    QTest::addRow("pixel units") << QRectF(0, 0, 200, 100) << QPointF(50, 25) << QPointF(50, 25);
    QTest::addRow("magnitudes grow downward")
        << QRectF(-0.5, 8, 1, 5) << QPointF(0, 10.5) << QPointF(100, 50);
    QTest::addRow("magnitudes upside down")
        << QRectF(-0.5, 13, 1, -5) << QPointF(0.25, 12) << QPointF(150, 20);
    QTest::addRow("reversed x") << QRectF(10, 0, -10, 100) << QPointF(7.5, 30) << QPointF(50, 30);
    QTest::addRow("julian dates") << QRectF(2450000, 0, 400, 20) << QPointF(2450100, 5)
                                  << QPointF(50, 25);
}

// Guards a wrong device mapping, above all on reversed axes.
void TestCanvas::mapping() {
    QFETCH(QRectF, corners);
    QFETCH(QPointF, user);
    QFETCH(QPointF, device);
    Canvas canvas(200, 100);
    canvas.setCoords(corners.left(), corners.top(), corners.right(), corners.bottom());
    const QPointF mapped = canvas.toDevice(user.x(), user.y());
    QCOMPARE(mapped.x(), device.x());
    QCOMPARE(mapped.y(), device.y());
    const QPointF back = canvas.toUser(device);
    QCOMPARE(back.x(), user.x());
    QCOMPARE(back.y(), user.y());
    // The smallest dot lands on the pixel that holds its centre.
    canvas.dot(user.x(), user.y(), 0, kRed);
    QCOMPARE(pixel(canvas, int(device.x()), int(device.y())), kRed);
    QCOMPARE(countColour(canvas, kRed), 1);
}

void TestCanvas::invalidCoordsKeepOldSystem_data() {
    QTest::addColumn<QRectF>("corners");
    QTest::addRow("equal x") << QRectF(3, 8, 0, 5);
    QTest::addRow("equal y (all magnitudes alike)") << QRectF(-0.5, 9, 1, 0);
    QTest::addRow("both equal") << QRectF(1, 1, 0, 0);
    QTest::addRow("not a number") << QRectF(kNaN, 0, 1, 1);
}

// Guards a failed coordinate change leaving a half-set or degenerate system.
void TestCanvas::invalidCoordsKeepOldSystem() {
    QFETCH(QRectF, corners);
    Canvas canvas(100, 100);
    canvas.setCoords(-1, 8, 1, 13);
    QString message;
    try {
        canvas.setCoords(corners.left(), corners.top(), corners.right(), corners.bottom());
    } catch (const CanvasError& e) {
        message = e.description();
    }
    QCOMPARE(message, QStringLiteral("Invalid procedure call or argument"));
    QCOMPARE(canvas.scaleLeft(), -1.0);
    QCOMPARE(canvas.scaleTop(), 8.0);
    QCOMPARE(canvas.scaleWidth(), 2.0);
    QCOMPARE(canvas.scaleHeight(), 5.0);
    QCOMPARE(canvas.toDevice(0, 10.5), QPointF(50, 50));
}

void TestCanvas::pixelSize_data() {
    QTest::addColumn<QRectF>("corners");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addRow("phase and magnitude") << QRectF(-0.5, 8, 1, 5) << 0.005 << 0.05;
    QTest::addRow("reversed x is negative") << QRectF(0.5, 8, -1, 5) << -0.005 << 0.05;
    QTest::addRow("reversed y is negative") << QRectF(-0.5, 13, 1, -5) << 0.005 << -0.05;
}

// Guards the dot radius of the plot, which is taken from the pixel width.
void TestCanvas::pixelSize() {
    QFETCH(QRectF, corners);
    QFETCH(double, width);
    QFETCH(double, height);
    Canvas canvas(200, 100);
    canvas.setCoords(corners.left(), corners.top(), corners.right(), corners.bottom());
    QCOMPARE(canvas.pixelWidth(), width);
    QCOMPARE(canvas.pixelHeight(), height);
}

// Guards a resize that wipes the persistent drawing or resets the corners.
void TestCanvas::resizeKeepsDrawingAndCorners() {
    Canvas canvas(100, 100, kBlack);
    canvas.setCoords(-1, 8, 1, 13);
    const QPointF user = canvas.toUser(QPointF(10.5, 10.5));
    canvas.dot(user.x(), user.y(), 0, kRed);
    canvas.resize(200, 150);
    QCOMPARE(canvas.widthPx(), 200);
    QCOMPARE(canvas.heightPx(), 150);
    QCOMPARE(pixel(canvas, 10, 10), kRed);
    QCOMPARE(pixel(canvas, 180, 140), kBlack);
    QCOMPARE(canvas.scaleLeft(), -1.0);
    QCOMPARE(canvas.scaleTop(), 8.0);
    QCOMPARE(canvas.scaleWidth(), 2.0);
    QCOMPARE(canvas.scaleHeight(), 5.0);
    QCOMPARE(canvas.pixelWidth(), 0.01);
    canvas.resize(20, 20);
    QCOMPARE(pixel(canvas, 10, 10), kRed);
    canvas.resize(0, -5);
    QCOMPARE(canvas.widthPx(), 1);
    QCOMPARE(canvas.heightPx(), 1);
}

// Guards clear() missing pixels or leaving the text position where it was.
void TestCanvas::clearFillsAndResetsPosition() {
    Canvas canvas(60, 40, kBlack);
    canvas.setCoords(0, 8, 20, 13);
    canvas.line(0, 9, 20, 12, kRed);
    canvas.setCurrentXY(6, 11);
    canvas.setBackground(kWhite);
    QCOMPARE(pixel(canvas, 0, 0), kBlack);
    canvas.clear();
    QCOMPARE(countColour(canvas, kWhite), 60 * 40);
    QCOMPARE(canvas.currentX(), 0.0);
    QCOMPARE(canvas.currentY(), 8.0);
}

void TestCanvas::lineEndpoints_data() {
    QTest::addColumn<QRectF>("corners");
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<QPoint>("first");
    QTest::addColumn<QPoint>("last");
    QTest::addColumn<QPoint>("beyond");
    QTest::addRow("horizontal") << QRectF(0, 0, 100, 100) << QLineF(10, 20, 30, 20)
                                << QPoint(10, 20) << QPoint(30, 20) << QPoint(31, 20);
    QTest::addRow("backwards") << QRectF(0, 0, 100, 100) << QLineF(30, 20, 10, 20) << QPoint(30, 20)
                               << QPoint(10, 20) << QPoint(9, 20);
    QTest::addRow("magnitude tick") << QRectF(0, 8, 20, 5) << QLineF(0, 9, 5, 9) << QPoint(0, 20)
                                    << QPoint(25, 20) << QPoint(26, 20);
    QTest::addRow("vertical on a magnitude axis")
        << QRectF(-0.5, 8, 1, 5) << QLineF(0, 9, 0, 10) << QPoint(50, 20) << QPoint(50, 40)
        << QPoint(50, 41);
    QTest::addRow("reversed x") << QRectF(10, 0, -10, 100) << QLineF(9, 5, 5, 5) << QPoint(10, 5)
                                << QPoint(50, 5) << QPoint(51, 5);
    QTest::addRow("diagonal") << QRectF(0, 0, 100, 100) << QLineF(10, 10, 20, 20) << QPoint(10, 10)
                              << QPoint(20, 20) << QPoint(21, 21);
    QTest::addRow("phase tick to the bottom edge")
        << QRectF(-0.5, 0, 1, 20) << QLineF(0, 15, 0, 20) << QPoint(50, 75) << QPoint(50, 99)
        << QPoint(50, 74);
    QTest::addRow("accumulated phase step")
        << QRectF(-0.5, 0, 1, 20) << QLineF(-0.5 + 0.1 + 0.1 + 0.1, 15, 0.1 - 0.5, 20)
        << QPoint(30, 75) << QPoint(10, 99) << QPoint(9, 99);
}

// Guards lines that miss their end pixels or run one pixel too far.
void TestCanvas::lineEndpoints() {
    QFETCH(QRectF, corners);
    QFETCH(QLineF, line);
    QFETCH(QPoint, first);
    QFETCH(QPoint, last);
    QFETCH(QPoint, beyond);
    Canvas canvas(100, 100, kBlack);
    canvas.setCoords(corners.left(), corners.top(), corners.right(), corners.bottom());
    canvas.line(line.x1(), line.y1(), line.x2(), line.y2(), kRed);
    QCOMPARE(pixel(canvas, first.x(), first.y()), kRed);
    QCOMPARE(pixel(canvas, last.x(), last.y()), kRed);
    QCOMPARE(pixel(canvas, beyond.x(), beyond.y()), kBlack);
    const QPoint topLeft(std::min(first.x(), last.x()), std::min(first.y(), last.y()));
    const QPoint bottomRight(std::max(first.x(), last.x()), std::max(first.y(), last.y()));
    QCOMPARE(inkBox(canvas), QRect(topLeft, bottomRight));
}

// Guards the line width being ignored (the printed frame is 3 or 10 pixels wide).
void TestCanvas::lineWidth() {
    Canvas canvas(100, 100, kBlack, kWhite);
    canvas.setCoords(0, 0, 100, 100);
    canvas.setLineWidth(3);
    canvas.line(10, 50, 90, 50);
    QCOMPARE(inkBox(canvas).height(), 3);
    QCOMPARE(pixel(canvas, 50, 49), kWhite);
    QCOMPARE(pixel(canvas, 50, 51), kWhite);
}

// Guards a rectangle drawn filled or off by a pixel at its far corner.
void TestCanvas::rectOutline() {
    Canvas canvas(100, 100, kWhite, kBlack);
    canvas.setCoords(0, 0, 100, 100);
    canvas.rect(30, 20, 10, 10);
    QCOMPARE(inkBox(canvas), QRect(QPoint(10, 10), QPoint(30, 20)));
    QCOMPARE(pixel(canvas, 20, 10), kBlack);
    QCOMPARE(pixel(canvas, 10, 15), kBlack);
    QCOMPARE(pixel(canvas, 30, 15), kBlack);
    QCOMPARE(pixel(canvas, 20, 20), kBlack);
    QCOMPARE(pixel(canvas, 20, 15), kWhite);
}

void TestCanvas::printPositionAndAdvance_data() {
    QTest::addColumn<QRectF>("corners");
    QTest::addColumn<double>("direction");
    QTest::addRow("magnitude strip") << QRectF(0, 8, 20, 5) << 1.0;
    QTest::addRow("y growing upward") << QRectF(0, 13, 20, -5) << -1.0;
    QTest::addRow("page") << QRectF(0, 0, 100, 100) << 1.0;
}

// Guards labels placed by their baseline instead of their top-left corner,
// and a text position that does not move to the next line.
void TestCanvas::printPositionAndAdvance() {
    QFETCH(QRectF, corners);
    QFETCH(double, direction);
    Canvas canvas(200, 200, kBlack, kWhite);
    canvas.setCoords(corners.left(), corners.top(), corners.right(), corners.bottom());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    canvas.setFont(font);
    const QPointF at = canvas.toUser(QPointF(40, 60));
    const QString label = QStringLiteral("12");
    const double w = canvas.textWidth(label);
    const double h = canvas.textHeight(label);
    QVERIFY(w > 0);
    QVERIFY(h > 0);
    canvas.setCurrentXY(at.x(), at.y());
    canvas.print(label);
    QCOMPARE(canvas.currentX(), corners.left());
    QCOMPARE(canvas.currentY(), at.y() + direction * h);

    const QRect ink = inkBox(canvas);
    const QRect cell(40, 60, qRound(w / std::fabs(canvas.pixelWidth())),
                     qRound(h / std::fabs(canvas.pixelHeight())));
    QVERIFY2(!ink.isEmpty(), "nothing printed");
    QVERIFY2(cell.adjusted(-1, -1, 1, 1).contains(ink),
             qPrintable(QStringLiteral("ink %1,%2 %3x%4 outside the text cell")
                            .arg(ink.x())
                            .arg(ink.y())
                            .arg(ink.width())
                            .arg(ink.height())));
    // The glyphs fill most of the cell: the top-left corner is the anchor.
    QVERIFY(ink.top() < 60 + cell.height() / 2);
    QVERIFY(ink.left() < 40 + cell.width() / 2);
}

// Guards text measures that ignore the target's resolution (printer vs screen).
void TestCanvas::dpiScalesTextMeasures() {
    Canvas canvas(400, 400);
    canvas.setCoords(0, 0, 100, 100);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(12);
    canvas.setFont(font);
    const double screen = canvas.textHeight(QStringLiteral("Period"));
    canvas.setDpi(300);
    const double printer = canvas.textHeight(QStringLiteral("Period"));
    QVERIFY2(std::fabs(printer / screen - 300.0 / 96.0) < 0.15,
             qPrintable(QString::number(printer / screen)));
}

void TestCanvas::smallDotStamps_data() {
    QTest::addColumn<double>("pixelWidth");
    QTest::addColumn<double>("radiusPx");
    QTest::addColumn<int>("outlinePixels");
    QTest::addColumn<int>("innerPixels");
    QTest::addRow("under half a pixel") << 0.1 << 0.3 << 1 << 0;
    QTest::addRow("one pixel: a plus") << 0.1 << 1.0 << 4 << 1;
    QTest::addRow("one pixel on a reversed axis") << -0.1 << 1.0 << 4 << 1;
    QTest::addRow("two pixels: round block") << 0.1 << 2.0 << 12 << 9;
}

// Guards the fast dot path: its shape and the outline / fill split the
// phase plot relies on (the fill is the colour of the point before).
void TestCanvas::smallDotStamps() {
    QFETCH(double, pixelWidth);
    QFETCH(double, radiusPx);
    QFETCH(int, outlinePixels);
    QFETCH(int, innerPixels);
    Canvas canvas(20, 20, kBlack);
    canvas.setCoords(pixelWidth > 0 ? 0 : 2, 0, pixelWidth > 0 ? 2 : 0, 2);
    QCOMPARE(canvas.pixelWidth(), pixelWidth);
    const QPointF centre = canvas.toUser(QPointF(10.5, 10.5));
    const double r = radiusPx * std::fabs(canvas.pixelWidth());
    canvas.setFillColor(kGreen);
    canvas.circle(centre.x(), centre.y(), r, kRed);
    QCOMPARE(countColour(canvas, kRed), outlinePixels);
    QCOMPARE(countColour(canvas, kGreen), innerPixels);
    QCOMPARE(pixel(canvas, 10, 10), innerPixels > 0 ? kGreen : kRed);
    QCOMPARE(inkBox(canvas).center(), QPoint(10, 10));
    QCOMPARE(canvas.fillColor(), kGreen);

    canvas.clear();
    canvas.dot(centre.x(), centre.y(), r, kGrey);
    QCOMPARE(countColour(canvas, kGrey), outlinePixels + innerPixels);
    QCOMPARE(canvas.fillColor(), kGreen);
}

// Guards the painter path of big circles: outline and fill colours.
void TestCanvas::largeCircleOutlineAndFill() {
    Canvas canvas(60, 60, kBlack);
    canvas.setCoords(0, 0, 60, 60);
    canvas.setFillColor(kGreen);
    canvas.circle(30, 30, 10, kRed);
    QCOMPARE(pixel(canvas, 30, 30), kGreen);
    QCOMPARE(pixel(canvas, 40, 30), kRed);
    QCOMPARE(pixel(canvas, 30, 20), kRed);
    QCOMPARE(pixel(canvas, 43, 30), kBlack);
    QCOMPARE(pixel(canvas, 38, 38), kBlack);
}

void TestCanvas::drawingFarOutsideIsSafe_data() {
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<double>("radius");
    QTest::addColumn<int>("pixels");
    QTest::addRow("top-left corner") << QPointF(0.5, 0.5) << 1.0 << 3;
    QTest::addRow("bottom-right corner") << QPointF(39.5, 29.5) << 1.0 << 3;
    QTest::addRow("right edge, two pixels") << QPointF(39.5, 15.5) << 2.0 << 3 + 5 + 5;
    QTest::addRow("just past the right edge") << QPointF(40.5, 15.5) << 1.0 << 1;
    QTest::addRow("far outside") << QPointF(-5e9, 3e12) << 1.0 << 0;
    QTest::addRow("NaN x") << QPointF(kNaN, 10) << 1.0 << 0;
    QTest::addRow("NaN y") << QPointF(10, kNaN) << 2.0 << 0;
    QTest::addRow("infinite") << QPointF(kInf, -kInf) << 1.0 << 0;
    QTest::addRow("NaN radius") << QPointF(10, 10) << kNaN << 0;
    QTest::addRow("infinite radius") << QPointF(10, 10) << kInf << 0;
    QTest::addRow("big circle across the corner") << QPointF(0, 0) << 10.0 << -1;
}

// Guards writes outside the image (the fast path indexes the pixels itself)
// and crashes on coordinates that are not numbers.
void TestCanvas::drawingFarOutsideIsSafe() {
    QFETCH(QPointF, at);
    QFETCH(double, radius);
    QFETCH(int, pixels);
    Canvas canvas(40, 30, kBlack);
    canvas.setCoords(0, 0, 40, 30);
    canvas.dot(at.x(), at.y(), radius, kRed);
    if (pixels >= 0) {
        QCOMPARE(countColour(canvas, kRed), pixels);
    } else {
        QVERIFY(countColour(canvas, kRed) > 0);
    }
    // Lines and text with the same points must not fail either.
    canvas.line(at.x(), at.y(), 20, 15, kGreen);
    canvas.setCurrentXY(at.x(), at.y());
    canvas.print(QStringLiteral("x"));
    canvas.rect(at.x(), at.y(), 20, 15);
}

// Guards ops recorded in device units, or lost, for the scale tests that read them.
void TestCanvas::recordingKeepsUserUnits() {
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
    QCOMPARE(ops.size(), std::size_t(7));
    QCOMPARE(ops[0].kind, Canvas::Op::Clear);
    QCOMPARE(ops[1].kind, Canvas::Op::Line);
    QCOMPARE(QLineF(ops[1].x1, ops[1].y1, ops[1].x2, ops[1].y2), QLineF(-0.5, 10, -0.5, 20));
    QCOMPARE(ops[1].color, kWhite);
    QCOMPARE(ops[2].kind, Canvas::Op::Circle);
    QCOMPARE(QPointF(ops[2].x1, ops[2].y1), QPointF(0.25, 3));
    QCOMPARE(ops[2].x2, 0.01);
    QCOMPARE(ops[2].color, kRed);
    QCOMPARE(ops[2].fill, kGreen);
    QCOMPARE(ops[3].fill, kGrey);
    QCOMPARE(ops[4].kind, Canvas::Op::Text);
    QCOMPARE(ops[4].text, QStringLiteral("0.5"));
    QCOMPARE(QPointF(ops[4].x1, ops[4].y1), QPointF(0.475, -1));
    QCOMPARE(ops[5].kind, Canvas::Op::Rect);
    QCOMPARE(ops[5].lineWidth, 3);
    QCOMPARE(ops[6].kind, Canvas::Op::Image);
    QCOMPARE(QLineF(ops[6].x1, ops[6].y1, ops[6].x2, ops[6].y2), QLineF(-0.5, 0, 0.5, 20));
    QVERIFY(ops[6].invert);
    canvas.clearOps();
    QVERIFY(canvas.ops().empty());
}

void TestCanvas::drawImage_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("invert");
    QTest::addColumn<int>("point");
    QTest::addColumn<int>("background"); // where the black plot lands
    QTest::addColumn<int>("dot");        // where the point lands
    QTest::addRow("white page shows the complement")
        << kWhite << true << kRed << kWhite << 0xFFFF00;
    QTest::addRow("plain copy") << kWhite << false << kRed << kBlack << kRed;
    QTest::addRow("exclusive-or with a grey page")
        << kGrey << true << kGreen << kGrey << (kGrey ^ kGreen);
}

// Guards the printed plot's colours: the black plot must come out white and
// each point its complement, stretched over the frame.
void TestCanvas::drawImage() {
    QFETCH(int, page);
    QFETCH(bool, invert);
    QFETCH(int, point);
    QFETCH(int, background);
    QFETCH(int, dot);
    Canvas plot(4, 2, kBlack);
    plot.setCoords(0, 0, 4, 2);
    plot.dot(3.5, 0.5, 0, point);

    Canvas canvas(100, 100, page);
    canvas.setCoords(0, 0, 100, 100);
    canvas.drawImage(10, 20, 80, 40, plot.image(), invert);
    // Each source pixel covers 20 x 20 target pixels.
    QCOMPARE(pixel(canvas, 10, 20), background);
    QCOMPARE(pixel(canvas, 69, 59), background);
    QCOMPARE(pixel(canvas, 70, 20), dot);
    QCOMPARE(pixel(canvas, 89, 39), dot);
    QCOMPARE(pixel(canvas, 89, 40), background);
    QCOMPARE(pixel(canvas, 9, 20), page);
    QCOMPARE(pixel(canvas, 90, 20), page);
    QCOMPARE(pixel(canvas, 50, 60), page);
    QCOMPARE(countColour(canvas, dot), 400);
}

// Guards a widget whose canvas does not follow its size.
void TestCanvas::widgetFollowsItsSize() {
    CanvasWidget widget(nullptr, kBlack);
    widget.canvas().setCoords(-0.5, 8, 0.5, 13);
    widget.setGeometry(0, 0, 200, 100);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QCOMPARE(widget.canvas().widthPx(), 200);
    QCOMPARE(widget.canvas().heightPx(), 100);
    widget.canvas().dot(0, 9, 0, kRed);
    widget.refresh();
    widget.resize(300, 120);
    QTRY_COMPARE(widget.canvas().widthPx(), 300);
    QCOMPARE(widget.canvas().heightPx(), 120);
    QCOMPARE(pixel(widget.canvas(), 100, 20), kRed);
    QCOMPARE(widget.canvas().scaleLeft(), -0.5);
    QCOMPARE(widget.canvas().scaleTop(), 8.0);
    QCOMPARE(widget.grab().toImage().pixelColor(100, 20), rgbColor(kRed));
}

// Guards readouts and markers computed in pixels instead of plot units.
void TestCanvas::widgetReportsUserCoordinates() {
    CanvasWidget widget;
    widget.setGeometry(0, 0, 200, 100);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    widget.canvas().setCoords(-0.5, 8, 0.5, 13);
    QVERIFY(widget.hasMouseTracking());
    QSignalSpy moved(&widget, &CanvasWidget::mouseMoved);
    QSignalSpy pressed(&widget, &CanvasWidget::mousePressed);
    QSignalSpy left(&widget, &CanvasWidget::left);

    QMouseEvent move(QEvent::MouseMove, QPointF(50, 25), widget.mapToGlobal(QPointF(50, 25)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &move);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.at(0).at(0).toDouble(), -0.25);
    QCOMPARE(moved.at(0).at(1).toDouble(), 9.25);

    QTest::mousePress(&widget, Qt::RightButton, Qt::NoModifier, QPoint(150, 75));
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(pressed.at(0).at(0).toDouble(), 0.25);
    QCOMPARE(pressed.at(0).at(1).toDouble(), 11.75);
    QCOMPARE(pressed.at(0).at(2).value<Qt::MouseButton>(), Qt::RightButton);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &leave);
    QCOMPARE(left.count(), 1);
}

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
