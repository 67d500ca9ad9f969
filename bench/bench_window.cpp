// What the search window does on its own thread while a search runs: each poll
// copies what the run finished since the last one (here 1% of the grid),
// brings the block summary up to date and draws; at the end it fills in the
// rest. Each must stay well inside the 20 ms the window may be kept from its
// events. The draw without the summary (every value looked at) is shown beside.
//
// Then the same live: the synthetic delta Cep archive searched on its default
// grid (about 11 million frequencies) while a spectrum widget is polled every
// 50 ms as the search window does, with the longest time the event loop went
// without running a 1 ms timer.
//
//   QT_QPA_PLATFORM=offscreen varilume_window_bench [repeats]
#include "SyntheticArchive.h"
#include "canvas/Canvas.h"
#include "search/PeriodSearch.h"
#include "ui/search/SpectrumBlocks.h"
#include "ui/search/SpectrumPicture.h"
#include "ui/search/SpectrumWidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
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

// The search window's loop, without the rest of the window: poll, draw, finish.
void liveSearch() {
    SearchSettings settings;
    settings.harmonics = 1;
    PeriodSearch run(archive(), settings);
    std::printf("\nLive: delta Cep archive, %zu frequencies, GLS 1 harmonic\n",
                run.plan().grid.count);
    SpectrumWidget widget;
    widget.resize(900, 400);
    widget.show();
    QElapsedTimer clock, sinceTick;
    double longest = 0, longestPoll = 0, finishMs = 0;
    int polls = 0;
    QTimer tick, poll;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QElapsedTimer t;
        t.start();
        if (run.finished()) {
            poll.stop();
            tick.stop();
            widget.finishSpectrum(run.takeResult().spectrum, {});
            finishMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
            QCoreApplication::quit();
            return;
        }
        widget.updateSpectrum(
            [&](Spectrum& s, std::vector<IndexRange>& changed) { run.partial(s, &changed); });
        ++polls;
        longestPoll = std::max(longestPoll, static_cast<double>(t.nsecsElapsed()) / 1e6);
    });
    clock.start();
    sinceTick.start();
    run.start();
    tick.start();
    poll.start();
    QCoreApplication::exec();
    // The gap the 1 ms timer saw includes its own interval.
    std::printf("search %.2f s, %d polls: longest poll %.1f ms, end %.1f ms, longest time "
                "without events %.1f ms  [target 20 ms]\n",
                static_cast<double>(clock.elapsed()) / 1000, polls, longestPoll, finishMs, longest);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("%-10s %-12s %12s %12s %12s %12s\n", "M", "axis", "poll ms", "finish ms",
                "rebuild ms", "unsummed ms");
    for (std::size_t m : {100'000u, 1'000'000u, 5'000'000u, 11'000'000u}) {
        const Spectrum source = spectrumOf(m);
        const std::vector<Peak> peaks(10, Peak{1, 3.118, 1 / 3.118, 0.9, 0.0, 0.001, ""});
        for (SpectrumAxis axis : {SpectrumAxis::Frequency, SpectrumAxis::LogPeriod}) {
            Canvas canvas(900, 400);
            SpectrumView view;
            view.axis = axis;
            view.trialPeriod = 3.118;
            // Half the run has arrived; a poll brings the next 1%.
            Spectrum shown = source;
            std::fill(shown.values.begin() + static_cast<std::ptrdiff_t>(m / 2), shown.values.end(),
                      std::nan(""));
            SpectrumBlocks blocks;
            const double rebuildMs = bestMs(repeats, [&] { blocks.rebuild(shown.values); });
            const std::size_t unit = m / 100;
            std::size_t at = m / 2;
            const double pollMs = bestMs(repeats, [&] {
                const std::vector<IndexRange> changed{{at, at + unit}};
                std::copy(source.values.begin() + static_cast<std::ptrdiff_t>(at),
                          source.values.begin() + static_cast<std::ptrdiff_t>(at + unit),
                          shown.values.begin() + static_cast<std::ptrdiff_t>(at));
                blocks.update(shown.values, changed);
                SpectrumPicture(shown, {}, view, 900, 400, &blocks).draw(canvas);
                at += unit;
            });
            // The end: all but the last poll's share had arrived.
            std::copy(source.values.begin(),
                      source.values.end() - static_cast<std::ptrdiff_t>(unit),
                      shown.values.begin());
            blocks.rebuild(shown.values);
            const double finishMs = bestMs(1, [&] {
                blocks.completeFrom(shown.values, source.values);
                SpectrumPicture(shown, peaks, view, 900, 400, &blocks).draw(canvas);
            });
            const double plainMs = bestMs(
                repeats, [&] { SpectrumPicture(shown, peaks, view, 900, 400).draw(canvas); });
            std::printf("%-10zu %-12s %12.2f %12.2f %12.2f %12.2f\n", m,
                        axis == SpectrumAxis::Frequency ? "frequency" : "log period", pollMs,
                        finishMs, rebuildMs, plainMs);
        }
    }
    liveSearch();
    return 0;
}
