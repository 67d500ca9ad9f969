// The model curve as the fit window saves it and the plot draws it, held
// against plain-Python evaluations of numpy's coefficients
// (tools/model_curve_reference.py).
#include "canvas/Canvas.h"
#include "export/ModelCsv.h"
#include "plot/ModelCurve.h"
#include "search/FourierFit.h"
#include "search/SearchChecks.h"

#include <QFile>
#include <QTest>
#include <cmath>

using namespace varilume;
using namespace varilume::searchchecks;

namespace {

constexpr double kPeriod = 0.5668;
constexpr double kMidJD = 2460400.5;

FourierFit rrabFit() {
    const SearchData d = readStar("fit_rrab.txt");
    FourierSettings s;
    s.frequency = 1 / kPeriod;
    s.order = 4;
    s.useWeights = false;
    return fitFourier(d, s);
}

// Rows "curve i value" or "plot x value" of the reference file.
std::vector<std::pair<double, double>> reference(const QString& kind) {
    QFile file(QStringLiteral(VARILUME_TEST_DATA "/export/data/model_curve.txt"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read model_curve.txt");
    std::vector<std::pair<double, double>> rows;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 3 && QString::fromLatin1(f[0]) == kind)
            rows.emplace_back(f[1].toDouble(), f[2].toDouble());
    }
    return rows;
}

} // namespace

class TestModelCurve : public QObject {
    Q_OBJECT
private slots:
    // Guards the saved curve: phase 0 at the maximum, each row the model there.
    void savedCurve() {
        const FourierFit fit = rrabFit();
        QVERIFY(fit.ok);
        const QStringList lines = modelCurveCsv(fit, 8).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), QStringLiteral("phase,magnitude"));
        const auto ref = reference(QStringLiteral("curve"));
        QCOMPARE(lines.size(), int(ref.size()) + 1);
        for (std::size_t i = 0; i < ref.size(); ++i) {
            const QStringList f = lines[int(i) + 1].split(u',');
            QCOMPARE(f[0].toDouble(), double(i) / 8);
            // Eight significant digits written; the value itself agrees further.
            QVERIFY2(std::fabs(f[1].toDouble() - ref[i].second) < 1e-6,
                     qPrintable(lines[int(i) + 1]));
        }
        const std::vector<double> curve = fourierCurve(fit, 8);
        for (std::size_t i = 0; i < ref.size(); ++i)
            QVERIFY2(relative(curve[i], ref[i].second) < 1e-9, qPrintable(QString::number(i)));
    }

    // Guards the line on the plot: at plot phase x it passes through the model
    // at MidJD + x P, over both cycles, in its own colour.
    void drawnLine_data() {
        QTest::addColumn<bool>("twoCycles");
        QTest::addRow("one cycle") << false;
        QTest::addRow("two cycles") << true;
    }
    void drawnLine() {
        QFETCH(bool, twoCycles);
        const FourierFit fit = rrabFit();
        Canvas plot(400, 300);
        plot.setCoords(-1.1, 14.5, 1.1, 15.9);
        plot.setRecording(true);
        ProjectState s;
        s.MidJD = kMidJD;
        s.Period = float(kPeriod);
        s.TwoCycles = twoCycles;
        drawModelCurve(plot, s, fit);
        int lines = 0;
        double lo = 1e9, hi = -1e9;
        for (const Canvas::Op& op : plot.ops()) {
            QCOMPARE(op.kind, Canvas::Op::Line);
            QCOMPARE(op.color, ModelCurveColor);
            lo = std::min(lo, op.x1);
            hi = std::max(hi, op.x2);
            ++lines;
        }
        QCOMPARE(lines, ModelCurveSegments * (twoCycles ? 2 : 1));
        QCOMPARE(lo, twoCycles ? -1.0 : -0.5);
        QVERIFY(std::fabs(hi - (twoCycles ? 1.0 : 0.5)) < 1e-12);
        int checked = 0;
        for (const auto& [x, value] : reference(QStringLiteral("plot"))) {
            for (const Canvas::Op& op : plot.ops()) {
                if (std::fabs(op.x1 - x) < 1e-9) {
                    QVERIFY2(relative(op.y1, value) < 1e-9, qPrintable(QString::number(x)));
                    ++checked;
                }
            }
        }
        QVERIFY(checked >= (twoCycles ? 6 : 3));
    }
};

QTEST_MAIN(TestModelCurve)
#include "tst_modelcurve.moc"
