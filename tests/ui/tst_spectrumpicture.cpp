#include "canvas/Canvas.h"
#include "ui/search/SpectrumPicture.h"

#include <QTest>
#include <cmath>

using namespace varilume;

Q_DECLARE_METATYPE(SpectrumAxis)
Q_DECLARE_METATYPE(SearchMethod)

namespace {

constexpr std::int32_t kTrace = 0x902000; // the trace colour of the picture

// A flat spectrum of 200,000 frequencies with one better value at index peak.
Spectrum oneLine(SearchMethod method, std::size_t peak) {
    Spectrum s;
    s.method = method;
    s.grid = FrequencyGrid{0.01, 1e-4, 200'000};
    const bool higher = higherIsBetter(method);
    s.values.assign(s.grid.count, higher ? 0.2 : 0.8);
    s.values[peak] = higher ? 0.9 : 0.1;
    return s;
}

// The highest pixel row of the trace colour within columns [x0, x1], or -1.
int topOfTrace(const QImage& image, int x0, int x1) {
    const QRgb want = rgbColor(kTrace).rgb() & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y)
        for (int x = std::max(0, x0); x <= std::min(image.width() - 1, x1); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == want)
                return y;
    return -1;
}

} // namespace

class TestSpectrumPicture : public QObject {
    Q_OBJECT
private slots:
    // Guards the picture itself: a single better value, one grid step wide
    // among 200,000, shows at its own frequency, upward whatever the sense of
    // better and the axis, and the mapping from pixels returns to it.
    void peakShows_data() {
        QTest::addColumn<SearchMethod>("method");
        QTest::addColumn<SpectrumAxis>("axis");
        QTest::addColumn<int>("peak");
        QTest::addRow("power against frequency")
            << SearchMethod::Gls << SpectrumAxis::Frequency << 123'457;
        QTest::addRow("theta against frequency")
            << SearchMethod::Pdm << SpectrumAxis::Frequency << 50'001;
        QTest::addRow("power against period") << SearchMethod::Gls << SpectrumAxis::Period << 777;
        QTest::addRow("string length against log period")
            << SearchMethod::StringLength << SpectrumAxis::LogPeriod << 199'998;
    }
    void peakShows() {
        QFETCH(SearchMethod, method);
        QFETCH(SpectrumAxis, axis);
        QFETCH(int, peak);
        const Spectrum s = oneLine(method, static_cast<std::size_t>(peak));
        SpectrumView view;
        view.axis = axis;
        const std::vector<Peak> none;
        const SpectrumPicture picture(s, none, view, 700, 300);
        Canvas canvas;
        picture.draw(canvas);
        const double f = s.grid.frequency(static_cast<std::size_t>(peak));
        const int x = static_cast<int>(std::lround(picture.pixelOf(f)));
        QVERIFY(x >= picture.left() && x <= picture.right());
        const int atPeak = topOfTrace(canvas.image(), x - 1, x + 1);
        const int elsewhere = topOfTrace(canvas.image(), picture.left() + 2, x - 20);
        QVERIFY2(atPeak >= 0 && atPeak < 60, qPrintable(QString::number(atPeak)));
        QVERIFY2(elsewhere < 0 || elsewhere > atPeak + 100, qPrintable(QString::number(elsewhere)));
        // The pixel of the peak maps back to within one column's width of it.
        const double back = picture.frequencyAt(picture.pixelOf(f));
        QVERIFY(std::fabs(back - f) < 1e-9 * f);
    }

    // Guards a partial spectrum: values not computed yet draw nothing.
    void partialSpectrum() {
        Spectrum s = oneLine(SearchMethod::Gls, 10);
        std::fill(s.values.begin() + 100'000, s.values.end(), std::nan(""));
        const std::vector<Peak> none;
        const SpectrumPicture picture(s, none, SpectrumView{}, 700, 300);
        Canvas canvas;
        picture.draw(canvas);
        const int half = static_cast<int>(picture.pixelOf(s.grid.frequency(100'000)));
        QVERIFY(topOfTrace(canvas.image(), picture.left() + 2, half - 2) >= 0);
        QCOMPARE(topOfTrace(canvas.image(), half + 2, picture.right() - 2), -1);
    }
};

QTEST_MAIN(TestSpectrumPicture)
#include "tst_spectrumpicture.moc"
