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

    // Guards the summary in blocks that a window keeps of a growing run: the
    // picture drawn from it is the picture drawn from every value, for views
    // whose column ends fall anywhere within the blocks, with gaps not yet
    // computed, after polls that fill parts of the grid and after the end.
    void blocksDrawAsEveryValue_data() {
        QTest::addColumn<SpectrumAxis>("axis");
        QTest::addColumn<double>("from"); // share of the grid in view
        QTest::addColumn<double>("to");
        QTest::addRow("all of it, frequency") << SpectrumAxis::Frequency << 0.0 << 1.0;
        QTest::addRow("all of it, log period") << SpectrumAxis::LogPeriod << 0.0 << 1.0;
        QTest::addRow("a zoom narrower than a block a column")
            << SpectrumAxis::Frequency << 0.4001 << 0.4031;
        QTest::addRow("a zoom ending inside the last block")
            << SpectrumAxis::Period << 0.73 << 0.99999;
    }
    void blocksDrawAsEveryValue() {
        QFETCH(SpectrumAxis, axis);
        QFETCH(double, from);
        QFETCH(double, to);
        Spectrum full;
        full.grid = FrequencyGrid{0.01, 1e-4, 1'000'003}; // not a whole number of blocks
        full.values.resize(full.grid.count);
        for (std::size_t i = 0; i < full.values.size(); ++i)
            full.values[i] = 0.3 + 0.3 * std::sin(0.0007 * static_cast<double>(i)) *
                                       std::cos(0.31 * static_cast<double>(i));
        full.values[777'777] = 0.99; // one narrow top, inside a block
        SpectrumView view;
        view.axis = axis;
        const auto at = [&](double share) {
            return SpectrumPicture::axisOf(axis, full.grid.fmin +
                                                     share * (full.grid.fmax() - full.grid.fmin));
        };
        if (to - from < 1) {
            view.from = at(from);
            view.to = at(to);
        }
        const auto same = [&](const Spectrum& shown, const SpectrumBlocks& blocks) {
            Canvas plain, summed;
            SpectrumPicture(shown, {}, view, 700, 300).draw(plain);
            SpectrumPicture(shown, {}, view, 700, 300, &blocks).draw(summed);
            return plain.image() == summed.image();
        };
        // A run under way: the first poll finds a few units in (a fresh start,
        // NaN elsewhere), the next more of them, out of order.
        Spectrum shown = full;
        std::fill(shown.values.begin(), shown.values.end(), std::nan(""));
        SpectrumBlocks blocks;
        std::vector<IndexRange> changed;
        for (std::size_t k0 = 3'000 + 4 * 65'536; k0 < full.values.size(); k0 += 8 * 65'536) {
            std::copy(full.values.begin() + static_cast<std::ptrdiff_t>(k0),
                      full.values.begin() + static_cast<std::ptrdiff_t>(k0 + 65'536),
                      shown.values.begin() + static_cast<std::ptrdiff_t>(k0));
            changed.emplace_back(k0, k0 + 65'536);
        }
        blocks.update(shown.values, changed);
        QVERIFY(same(shown, blocks));
        changed.clear();
        for (std::size_t k0 = 3'000; k0 < full.values.size(); k0 += 2 * 65'536) {
            const std::size_t k1 = std::min(k0 + 65'536, full.values.size());
            std::copy(full.values.begin() + static_cast<std::ptrdiff_t>(k0),
                      full.values.begin() + static_cast<std::ptrdiff_t>(k1),
                      shown.values.begin() + static_cast<std::ptrdiff_t>(k0));
            changed.emplace_back(k0, k1);
        }
        blocks.update(shown.values, changed);
        QVERIFY(same(shown, blocks));
        // The end: the rest arrives.
        blocks.completeFrom(shown.values, full.values);
        QVERIFY(shown.values == full.values);
        QVERIFY(same(shown, blocks));
    }
};

QTEST_MAIN(TestSpectrumPicture)
#include "tst_spectrumpicture.moc"
