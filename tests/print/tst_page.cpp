#include "canvas/Canvas.h"
#include "print/Page.h"
#include "print/PageFile.h"
#include "print/PrintPlot.h"
#include "support/CanvasOps.h"
#include "support/PageSample.h"
#include "support/ScriptedPlatform.h"

#include <QtTest>
#include <cmath>

using namespace varilume;
using varilume::test::describeTexts;
using varilume::test::opsOf;
using varilume::test::samplePage;
using varilume::test::ScriptedPlatform;

namespace {

constexpr std::int32_t kBlack = 0x000000;
constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kMagenta = 0xFF00FF;

// The page as printed, on the platform double's paper (11 x 8.5 inches at 100 dpi).
QImage printerPage(const PageContent& content) {
    ScriptedPlatform platform;
    PrintPlot(platform, QString(), QString(), content);
    return platform.printedPages.at(0).page;
}

QImage pageOn(const QString& target, const PageContent& content) {
    return target == QLatin1String("printer") ? printerPage(content) : renderPage(content, 1);
}

// Colour of the pixel holding page point (x, y), in page units.
std::int32_t colourAt(const QImage& page, double x, double y) {
    const int px = static_cast<int>(std::floor(x * page.width() / 100));
    const int py = static_cast<int>(std::floor(y * page.height() / 100));
    return rgbValue(page.pixelColor(px, py));
}

// Centres, in page units, of the dark runs along a row of the page between x
// 7 and 94 (where the ticks stand).
QList<double> darkRuns(const QImage& page, double y) {
    QList<double> centres;
    const int py = static_cast<int>(std::floor(y * page.height() / 100));
    int start = -1;
    const int from = page.width() * 7 / 100;
    const int to = page.width() * 94 / 100;
    for (int x = from; x <= to; ++x) {
        const bool dark = x < to && page.pixelColor(x, py).lightness() < 128;
        if (dark && start < 0)
            start = x;
        if (!dark && start >= 0) {
            centres << (start + x) / 2.0 * 100 / page.width();
            start = -1;
        }
    }
    return centres;
}

} // namespace

class TestPage : public QObject {
    Q_OBJECT

private slots:
    // Guards the frame, the inverted plot and strip, and the white page around
    // them, on the bitmap and on a printer's page alike.
    void pixels_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QPointF>("at"); // page units
        QTest::addColumn<int>("colour");
        struct Point {
            const char* name;
            QPointF at;
            std::int32_t colour;
        };
        const Point points[] = {
            {"frame left edge", {8, 54}, kBlack},
            {"frame right edge", {93, 40}, kBlack},
            {"frame top edge", {30, 18}, kBlack},
            {"frame bottom edge", {50, 90}, kBlack},
            {"black plot background comes out white", {20, 30}, kWhite},
            {"plot corner inside the frame", {9.5, 88.5}, kWhite},
            {"green dot comes out magenta", {50.5, 54}, kMagenta},
            {"white strip tick comes out black", {93.4, 54.1}, kBlack},
            {"black strip comes out white", {95, 30}, kWhite},
            {"page left of the frame", {5, 54}, kWhite},
            {"page right of the strip", {97.5, 54}, kWhite},
        };
        for (const char* target : {"bitmap", "printer"})
            for (const Point& p : points)
                QTest::addRow("%s: %s", target, p.name)
                    << QString::fromLatin1(target) << p.at << int(p.colour);
    }
    void pixels() {
        QFETCH(QString, target);
        QFETCH(QPointF, at);
        QFETCH(int, colour);
        const QImage page = pageOn(target, samplePage());
        QCOMPARE(QString::number(colourAt(page, at.x(), at.y()), 16), QString::number(colour, 16));
    }

    void frameOverPictures_data() {
        QTest::addColumn<QString>("target");
        QTest::addRow("bitmap") << "bitmap";
        QTest::addRow("printer") << "printer";
    }

    // Guards the frame over the pictures' edges: a plot and strip in one screen
    // colour leave no pixel of that colour on the page (inside they come out
    // inverted, on the frame black).
    void frameOverPictures() {
        QFETCH(QString, target);
        PageContent content = samplePage();
        constexpr std::int32_t kGreen = 0x00FF00;
        content.plot.fill(rgbColor(kGreen));
        content.magScale.fill(rgbColor(kGreen));
        const QImage page = pageOn(target, content);
        QCOMPARE(varilume::test::countColour(page, kGreen), 0);
        QCOMPARE(colourAt(page, 8, 54), kBlack);
        QCOMPARE(colourAt(page, 50, 54), kMagenta);
    }

    // Guards the phase ticks: how many, where, and which are long, on every target.
    // A plot that keeps 1/20 of its width beside the phase range on each side
    // has its phase ticks that far in from the frame's ends.
    void ticks_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("twoCycles");
        QTest::addColumn<double>("margin");
        for (const char* target : {"bitmap", "printer"}) {
            QTest::addRow("%s: one cycle", target) << QString::fromLatin1(target) << false << 0.0;
            QTest::addRow("%s: two cycles", target) << QString::fromLatin1(target) << true << 0.0;
            QTest::addRow("%s: one cycle, plot with margins", target)
                << QString::fromLatin1(target) << false << 0.05;
        }
    }
    void ticks() {
        QFETCH(QString, target);
        QFETCH(bool, twoCycles);
        QFETCH(double, margin);
        PageContent content = samplePage(twoCycles);
        content.plotMargin = margin;
        const QImage page = pageOn(target, content);
        const int count = twoCycles ? 21 : 11;
        const double inset = 85 * margin;
        const double step = (85 - 2 * inset) / (count - 1);
        const QList<double> all = darkRuns(page, 17.5);
        QCOMPARE(all.size(), count);
        QList<double> longExpected;
        for (int i = 0; i < count; ++i) {
            const double x = 8 + inset + step * i;
            QVERIFY2(std::fabs(all[i] - x) < 0.3,
                     qPrintable(QStringLiteral("tick %1 at %2, not %3").arg(i).arg(all[i]).arg(x)));
            if (i % 5 == 0)
                longExpected << x;
        }
        const QList<double> longOnes = darkRuns(page, 16.5);
        QCOMPARE(longOnes.size(), longExpected.size());
        for (int i = 0; i < longOnes.size(); ++i)
            QVERIFY(std::fabs(longOnes[i] - longExpected[i]) < 0.3);
    }

    // Guards the three phase labels of each cycle mode and their places.
    void labels_data() {
        QTest::addColumn<bool>("twoCycles");
        QTest::addColumn<QStringList>("labels");
        QTest::addRow("one cycle") << false << QStringList{"-0.5", "0.0", "0.5"};
        QTest::addRow("two cycles") << true << QStringList{"-1.0", "0.0", "1.0"};
    }
    void labels() {
        QFETCH(bool, twoCycles);
        QFETCH(QStringList, labels);
        Canvas canvas(917, 636, kWhite, kBlack);
        canvas.setRecording(true);
        drawPage(canvas, samplePage(twoCycles), PageStyle::bitmap());
        QStringList found;
        QList<double> xs;
        for (const Canvas::Op& op : opsOf(canvas, Canvas::Op::Text)) {
            if (op.y1 == 14) {
                found << op.text;
                xs << op.x1;
            }
        }
        QCOMPARE(found, labels);
        QCOMPARE(xs, (QList<double>{7, 49.5, 92}));
    }

    // Guards the title block and the extremes: their texts and places, the
    // second line of each pair right under the first.
    void texts_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<double>("captionTop");
        QTest::addRow("bitmap") << "bitmap" << 9.0;
        QTest::addRow("printer") << "printer" << 8.0;
    }
    void texts() {
        QFETCH(QString, target);
        QFETCH(double, captionTop);
        Canvas canvas(917, 636, kWhite, kBlack);
        canvas.setRecording(true);
        const PageStyle style =
            target == QLatin1String("printer") ? PageStyle::printer() : PageStyle::bitmap();
        drawPage(canvas, samplePage(), style);
        canvas.setFont(pageFont(false, style.extremesPoints, style.extremesBold));
        const double second = 91 + canvas.textHeight(QStringLiteral("Max"));
        QMap<QString, QPointF> at;
        for (const Canvas::Op& op : opsOf(canvas, Canvas::Op::Text))
            at[op.text] = QPointF(op.x1, op.y1);
        const QString all = describeTexts(canvas);
        QVERIFY2(at.contains("Varilume") && at["Varilume"].y() == 2, qPrintable(all));
        QVERIFY2(at.value("   RR LYR - (40 Points)").y() == captionTop, qPrintable(all));
        QCOMPARE(at.value("Min JD = 2450000.25"), QPointF(8, 91));
        QCOMPARE(at.value("Max JD = 2450200.5"), QPointF(8, second));
        QCOMPARE(at.value("Min Mag = 9.1"), QPointF(82, 91));
        QCOMPARE(at.value("Max Mag = 11.25"), QPointF(82, second));
        QVERIFY2(second > 92, "the second line sits below the first");
    }

    // Guards the centring of the period line: on "Period =" plus the number,
    // which puts it half a blank right of the true centre.
    void periodLine_data() {
        QTest::addColumn<float>("period");
        QTest::addColumn<QString>("text");
        QTest::addRow("37.5") << 37.5f << "Period = 37.5";
        QTest::addRow("short period") << 0.2451f << "Period = 0.2451";
        QTest::addRow("long period") << 1234.567f << "Period = 1234.567";
    }
    void periodLine() {
        QFETCH(float, period);
        QFETCH(QString, text);
        PageContent content = samplePage();
        content.period = period;
        Canvas canvas(917, 636, kWhite, kBlack);
        canvas.setRecording(true);
        drawPage(canvas, content, PageStyle::bitmap());
        const std::vector<Canvas::Op> texts = opsOf(canvas, Canvas::Op::Text);
        QCOMPARE(texts.back().text, text);
        canvas.setFont(pageFont(false, 18, false));
        const double trueCentre = (100 - canvas.textWidth(text)) / 2;
        const double halfBlank = canvas.textWidth(QStringLiteral(" ")) / 2;
        QVERIFY2(std::fabs(texts.back().x1 - (trueCentre + halfBlank)) < 0.05,
                 qPrintable(QStringLiteral("left at %1, true centre's left at %2")
                                .arg(texts.back().x1)
                                .arg(trueCentre)));
        QCOMPARE(texts.back().y1, 87 + canvas.textHeight(QStringLiteral("Period")));
    }

    // Guards the PNG's sharper copy: the same page at twice the pixels, its
    // frame lines twice as wide.
    void doubleSizeKeepsLook() {
        const QImage one = renderPage(samplePage(), 1);
        const QImage two = renderPage(samplePage(), kPngScale);
        QCOMPARE(one.size(), QSize(kBitmapWidth, kBitmapHeight));
        QCOMPARE(two.size(), QSize(2 * kBitmapWidth, 2 * kBitmapHeight));
        auto leftEdgeWidth = [](const QImage& page) {
            const int y = page.height() / 2;
            int n = 0;
            for (int x = 0; x < page.width() / 10; ++x)
                n += page.pixelColor(x, y) == Qt::black ? 1 : 0;
            return n;
        };
        QCOMPARE(leftEdgeWidth(one), 3);
        QCOMPARE(leftEdgeWidth(two), 6);
        QCOMPARE(darkRuns(two, 17.5).size(), 11);
    }
};

QTEST_MAIN(TestPage)
#include "tst_page.moc"
