// What the search window does on its own thread while a search runs: each poll
// copies the partial spectrum and draws it. Both must stay well inside the
// 20 ms the window may be kept from its events.
//
//   QT_QPA_PLATFORM=offscreen varilume_window_bench [repeats]
#include "canvas/Canvas.h"
#include "search/PeriodSearch.h"
#include "ui/search/SpectrumPicture.h"

#include <QGuiApplication>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace varilume;

namespace {

Spectrum spectrumOf(std::size_t m) {
    Spectrum s;
    s.grid = FrequencyGrid{0.001, 20.0 / static_cast<double>(m), m};
    s.values.resize(m);
    for (std::size_t i = 0; i < m; ++i)
        s.values[i] = 0.5 + 0.5 * std::sin(static_cast<double>(i) * 0.001) *
                                std::cos(static_cast<double>(i) * 0.37);
    return s;
}

template <typename F> double bestMs(int repeats, F&& f) {
    double best = 1e300;
    for (int r = 0; r < repeats; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("%-10s %-12s %10s %10s %10s\n", "M", "axis", "copy ms", "draw ms", "total ms");
    for (std::size_t m : {100'000u, 1'000'000u, 5'000'000u, 11'000'000u}) {
        const Spectrum source = spectrumOf(m);
        const std::vector<Peak> peaks(10, Peak{1, 3.118, 1 / 3.118, 0.9, 0.0, 0.001, ""});
        for (SpectrumAxis axis : {SpectrumAxis::Frequency, SpectrumAxis::LogPeriod}) {
            Canvas canvas(900, 400);
            Spectrum copy;
            const double copyMs = bestMs(repeats, [&] { copy = source; });
            SpectrumView view;
            view.axis = axis;
            view.trialPeriod = 3.118;
            const double drawMs =
                bestMs(repeats, [&] { SpectrumPicture(copy, peaks, view, 900, 400).draw(canvas); });
            std::printf("%-10zu %-12s %10.2f %10.2f %10.2f\n", m,
                        axis == SpectrumAxis::Frequency ? "frequency" : "log period", copyMs,
                        drawMs, copyMs + drawMs);
        }
    }
    return 0;
}
