#include "canvas/Canvas.h"
#include "support/CanvasOps.h"

#include <QtTest>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

using namespace varilume;

namespace {

constexpr std::int32_t kBlack = 0x000000;
constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kRed = 0x0000FF;
constexpr std::int32_t kGreen = 0x00FF00;
constexpr std::int32_t kGrey = 0x969696;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::int32_t pixel(const Canvas& canvas, int x, int y) {
    return rgbValue(canvas.image().pixelColor(x, y));
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
    // Guards the batched dots against the single dot they stand for: the same
    // pixels in the same colours, the later dot on top wherever two overlap,
    // across the bands of rows that different cores draw.
    void dotsMatchSingleDots_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("radiusPx");
        QTest::addColumn<bool>("reversed");
        QTest::addColumn<bool>("recording");
        QTest::addRow("many one-pixel-radius dots, in bands") << 150000 << 1.0 << false << false;
        QTest::addRow("many two-pixel-radius dots, reversed axes")
            << 150000 << 2.0 << true << false;
        QTest::addRow("few single pixels") << 500 << 0.2 << false << false;
        QTest::addRow("radius beyond the stamps: drawn as ellipses")
            << 300 << 4.0 << false << false;
        QTest::addRow("recording: every dot an operation") << 200 << 1.0 << false << true;
    }
    void dotsMatchSingleDots() {
        QFETCH(int, count);
        QFETCH(double, radiusPx);
        QFETCH(bool, reversed);
        QFETCH(bool, recording);
        Canvas one(301, 157);
        Canvas many(301, 157);
        for (Canvas* c : {&one, &many}) {
            if (reversed)
                c->setCoords(1.0, -20.0, -1.0, -5.0);
            else
                c->setCoords(-1.0, 5.0, 1.0, 20.0);
            c->setRecording(recording);
        }
        const double r = radiusPx * std::fabs(one.pixelWidth());
        // Dots over the whole picture and a margin around it, a few not finite.
        std::vector<float> x, y;
        std::vector<std::int32_t> rgb;
        std::uint32_t seed = 12345;
        const auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return double(seed >> 8) / double(1u << 24);
        };
        for (int i = 0; i < count; ++i) {
            x.push_back(float(-1.2 + 2.4 * next()));
            y.push_back(float(reversed ? -(4.0 + 17.0 * next()) : 4.0 + 17.0 * next()));
            rgb.push_back(std::int32_t(next() * 0xFFFFFF));
            if (i % 997 == 0)
                x.back() = std::numeric_limits<float>::quiet_NaN();
        }
        for (int i = 0; i < count; ++i)
            one.dot(x[std::size_t(i)], y[std::size_t(i)], r, rgb[std::size_t(i)]);
        many.dots(x, y, r, rgb);
        QVERIFY(one.image() == many.image());
        QCOMPARE(many.ops().size(), one.ops().size());
        // The same through JDs as doubles, as the preview hands them over.
        Canvas fromDoubles(301, 157);
        fromDoubles.setCoords(many.scaleLeft(), many.scaleTop(),
                              many.scaleLeft() + many.scaleWidth(),
                              many.scaleTop() + many.scaleHeight());
        const std::vector<double> xd(x.begin(), x.end());
        fromDoubles.dots(xd, y, r, rgb);
        QVERIFY(fromDoubles.image() == one.image());
    }

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
        // A failed change keeps the system set before it: x -1 to 1, y 8 to 13.
        const char* bad = "Invalid procedure call or argument";
        row("equal y (all magnitudes alike)", {-0.5, 9, 1, 0}, {0.5, 10.5}, {150, 50}, {0.01, 0.05},
            bad);
        row("not a number", {kNaN, 0, 1, 1}, {0.5, 10.5}, {150, 50}, {0.01, 0.05}, bad);
    }

    // Guards a wrong mapping either way (above all on reversed axes), a pixel size
    // without its axis's sign (the plot's dot radius), a failed coordinate change
    // leaving a half-set or degenerate system, and ops recorded in pixels.
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
        canvas.setRecording(true);
        canvas.dot(user.x(), user.y(), 0, kRed);
        QCOMPARE(inkBox(canvas), QRect(int(device.x()), int(device.y()), 1, 1));
        QCOMPARE(canvas.image().pixelColor(inkBox(canvas).topLeft()), QColor(255, 0, 0));
        const Canvas::Op& op = canvas.ops().at(0);
        QCOMPARE(QPointF(op.x1, op.y1), user);
    }

    // Guards a resize that wipes the drawing, keeps the old scale or makes an
    // empty image out of a minimised window.
    void resizeKeepsDrawing() {
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
    }

    void drawing_data() {
        QTest::addColumn<QRectF>("corners");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QLineF>("at"); // line ends, rect corners, or a dot's centre and radius
        QTest::addColumn<QRect>("ink");
        QTest::addColumn<QPoint>("counts"); // outline, fill pixels; -1: painted, not counted
        auto row = [](const char* name, QRectF corners, const char* shape, QLineF at, QRect ink,
                      QPoint counts) {
            QTest::addRow("%s", name) << corners << shape << at << ink << counts;
        };
        const QRectF page(0, 0, 100, 100), phase(-0.5, 0, 1, 20), tenths(0, 0, 10, 10);
        row("line on reversed x", {10, 0, -10, 100}, "line", {9, 5, 5, 5}, {10, 5, 41, 1}, {41, 0});
        row("phase tick to the edge", phase, "line", {0, 15, 0, 20}, {50, 75, 1, 25}, {25, 0});
        // -0.5 + 0.1 + 0.1 + 0.1 maps to a hair below pixel 30.
        row("accumulated phase step, backwards", phase, "line",
            {-0.5 + 0.1 + 0.1 + 0.1, 15, 0.1 - 0.5, 20}, {10, 75, 21, 25}, {25, 0});
        // The outline, not a filled block, and the far corner drawn too.
        row("rectangle outline", page, "rect", {30, 20, 10, 10}, {10, 10, 21, 11}, {60, 0});
        row("one-pixel dot: a plus", tenths, "dot", {2.05, 2.05, 0.1, 0}, {19, 19, 3, 3}, {4, 1});
        row("two-pixel dot: a block", tenths, "dot", {2.05, 2.05, 0.2, 0}, {18, 18, 5, 5}, {12, 9});
        row("ten-pixel dot", tenths, "dot", {2.05, 2.05, 1, 0}, {10, 10, 21, 21}, {-1, -1});
        row("dot over the top-right corner", page, "dot", {99.5, 0.5, 1, 0}, {98, 0, 2, 2}, {2, 1});
        row("dot at NaN", page, "dot", {10, kNaN, 2, 0}, {}, {0, 0});
    }

    // Guards lines that miss their end pixels or run one pixel too far, a filled
    // rectangle, the dot shapes and their outline / fill split, dot() not in one
    // colour or changing the fill colour, writes outside the image (dots index
    // the pixels themselves) and crashes on non-numbers.
    void drawing() {
        QFETCH(QRectF, corners);
        QFETCH(QString, shape);
        QFETCH(QLineF, at);
        QFETCH(QRect, ink);
        QFETCH(QPoint, counts);
        Canvas canvas(100, 100, kBlack, kRed);
        canvas.setCoords(corners.left(), corners.top(), corners.right(), corners.bottom());
        canvas.setFillColor(kGreen);
        if (shape == "rect")
            canvas.rect(at.x1(), at.y1(), at.x2(), at.y2());
        else if (shape == "dot")
            canvas.circle(at.x1(), at.y1(), at.x2(), kRed);
        else
            canvas.line(at.x1(), at.y1(), at.x2(), at.y2());
        const int red = test::countColour(canvas.image(), kRed);
        const int green = test::countColour(canvas.image(), kGreen);
        QCOMPARE(inkBox(canvas), ink);
        if (counts.x() >= 0)
            QCOMPARE(QPoint(red, green), counts);
        if (shape != "dot") {
            // A literal colour, so that a swapped byte order shows.
            QCOMPARE(canvas.image().pixelColor(ink.topRight()), QColor(255, 0, 0));
            return;
        }
        canvas.clear();
        canvas.dot(at.x1(), at.y1(), at.x2(), kGrey);
        QCOMPARE(test::countColour(canvas.image(), kGrey), red + green);
        QCOMPARE(canvas.fillColor(), kGreen);
        // Lines, frames and text through the same point must not fail either.
        canvas.line(at.x1(), at.y1(), 20, 15);
        canvas.setCurrentXY(at.x1(), at.y1());
        canvas.print(QStringLiteral("x"));
        canvas.rect(at.x1(), at.y1(), 20, 15);
    }

    void printPositionAndAdvance_data() {
        QTest::addColumn<QRectF>("corners");
        QTest::addRow("magnitude strip") << QRectF(0, 8, 20, 5);
        QTest::addRow("y growing upward") << QRectF(0, 13, 20, -5);
    }

    // Guards labels placed by their baseline instead of their top-left corner, a
    // text position that does not move to the next line, and text measures that
    // ignore the target's resolution (printer vs screen).
    void printPositionAndAdvance() {
        QFETCH(QRectF, corners);
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
                 QPointF(corners.left(), at.y() + std::copysign(h, corners.height())));
        const QRect ink = inkBox(canvas);
        const QRect cell(40, 60, qRound(w / std::fabs(canvas.pixelWidth())),
                         qRound(h / std::fabs(canvas.pixelHeight())));
        QVERIFY2(!ink.isEmpty() && cell.adjusted(-1, -1, 1, 1).contains(ink), "ink off the cell");
        canvas.setDpi(300);
        const double ratio = canvas.textHeight(QStringLiteral("12")) / h;
        QVERIFY2(std::fabs(ratio - 300.0 / 96.0) < 0.15, qPrintable(QString::number(ratio)));
    }

    void drawImageInverted_data() {
        QTest::addColumn<int>("page");
        QTest::addRow("white page shows the complement") << kWhite;
        QTest::addRow("exclusive-or with a grey page") << kGrey;
    }

    // Guards the printed plot's colours: the black plot must come out as the page
    // and each point its complement, stretched over the frame.
    void drawImageInverted() {
        QFETCH(int, page);
        Canvas plot(4, 2, kBlack);
        plot.setCoords(0, 0, 4, 2);
        plot.dot(3.5, 0.5, 0, kRed);
        Canvas canvas(100, 100, page);
        canvas.setCoords(0, 0, 100, 100);
        canvas.drawImage(10, 20, 80, 40, plot.image(), true);
        // Each source pixel covers 20 x 20 target pixels.
        QCOMPARE(inkBox(canvas), QRect(70, 20, 20, 20));
        QCOMPARE(test::countColour(canvas.image(), page ^ kRed), 400);
    }
};

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
