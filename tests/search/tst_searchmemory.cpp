// The memory a search holds at the grid's cap: every allocation the program
// makes through new is counted here (FFTW's own plan tables, a few megabytes,
// are outside the count), and the peak must stay under a gigabyte.
#include "search/PeriodSearch.h"
#include "search/SearchMethods.h"

#include <QTest>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <random>

namespace {

std::atomic<std::size_t> current{0};
std::atomic<std::size_t> peak{0};

// Each block carries its size just before the pointer handed out.
constexpr std::size_t Header = 64;

void* counted(std::size_t n, std::size_t align) {
    const std::size_t header = std::max(Header, align);
    void* base = std::aligned_alloc(header, (n + header + header - 1) / header * header);
    if (!base)
        throw std::bad_alloc();
    auto* p = static_cast<unsigned char*>(base) + header;
    reinterpret_cast<std::size_t*>(p)[-1] = n;
    reinterpret_cast<std::size_t*>(p)[-2] = header;
    const std::size_t now = current.fetch_add(n) + n;
    for (std::size_t seen = peak.load(); now > seen && !peak.compare_exchange_weak(seen, now);) {
    }
    return p;
}

void release(void* ptr) {
    if (!ptr)
        return;
    auto* p = static_cast<unsigned char*>(ptr);
    current.fetch_sub(reinterpret_cast<std::size_t*>(p)[-1]);
    std::free(p - reinterpret_cast<std::size_t*>(p)[-2]);
}

} // namespace

void* operator new(std::size_t n) {
    return counted(n, Header);
}
void* operator new[](std::size_t n) {
    return counted(n, Header);
}
void* operator new(std::size_t n, std::align_val_t a) {
    return counted(n, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return counted(n, static_cast<std::size_t>(a));
}
// The nothrow forms too (std::stable_sort's buffer): every block this file
// hands out must come back through release(), and the other way round.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return counted(n, Header);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return counted(n, Header);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    try {
        return counted(n, static_cast<std::size_t>(a));
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    try {
        return counted(n, static_cast<std::size_t>(a));
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}

using namespace varilume;

class TestSearchMemory : public QObject {
    Q_OBJECT

private slots:
    void capAtFourHarmonicsUnderOneGigabyte();
};

// Guards the bound on memory: the grid at its cap (20 million frequencies),
// four harmonics, by the NUFFT in segments over two threads, with the spectral
// window: spectrum, window, segments in flight and peak list under 1 GB.
void TestSearchMemory::capAtFourHarmonicsUnderOneGigabyte() {
    SearchData d;
    const double span = 36'525;
    std::mt19937_64 rng(4);
    std::uniform_real_distribution<double> u(0, 1);
    for (int i = 0; i < 400; ++i) {
        const double t = 2'415'020.5 + (i == 0 ? 0 : i == 399 ? span : span * u(rng));
        d.times.push_back(t);
        d.mags.push_back(7 + 0.4 * std::sin(2 * 3.141592653589793 * t / 5.366) + 0.01 * (i % 7));
    }
    SearchSettings s;
    s.harmonics = searchlimits::MaxHarmonics;
    s.threads = 2;
    s.spectralWindow = true;
    s.sums = SumsPath::Nufft;
    // The shortest period that keeps the grid just under the cap.
    s.maxPeriod = span / 2;
    const double step = 1 / (s.oversample * span);
    s.minPeriod = 1 / (2 / span + (static_cast<double>(searchlimits::MaxFrequencies) - 2) * step);
    const std::size_t before = current.load();
    peak.store(before);
    const SearchResult r = runSearch(d, s);
    QVERIFY2(r.ok(), r.reason.c_str());
    QVERIFY(r.spectrum.grid.count > searchlimits::MaxFrequencies - 10);
    const double peakBytes = static_cast<double>(peak.load() - before);
    QVERIFY2(peakBytes < 1024.0 * 1024 * 1024,
             qPrintable(QStringLiteral("peak %1 MB").arg(peakBytes / 1048576)));
    QVERIFY(!r.peaks.empty());
    qInfo("peak %.0f MB over %zu trial frequencies", peakBytes / 1048576, r.spectrum.grid.count);
}

QTEST_APPLESS_MAIN(TestSearchMemory)
#include "tst_searchmemory.moc"
