#pragma once

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

/// Work split into bands that run on all cores at once: band 0 on the calling
/// thread, every other band on a thread of its own, all joined before return.
namespace varilume::bands {

/// Bands for `items` pieces of work: one per core (at most eight), but none
/// smaller than minPerBand, so that small work pays no thread start.
inline int bandCount(std::size_t items, std::size_t minPerBand) {
    const std::size_t cores = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    return int(std::clamp<std::size_t>(items / std::max<std::size_t>(minPerBand, 1), 1, cores));
}

/// Calls work(band) for band 0 .. count-1 and returns when every call has
/// returned. A band whose thread cannot be started runs on the calling thread.
/// work must not throw.
template <typename Work> void run(int count, Work&& work) {
    std::vector<std::thread> helpers;
    helpers.reserve(std::size_t(std::max(count - 1, 0)));
    for (int b = 1; b < count; ++b) {
        try {
            helpers.emplace_back([&work, b] { work(b); });
        } catch (const std::system_error&) {
            work(b);
        }
    }
    if (count > 0)
        work(0);
    for (std::thread& t : helpers)
        t.join();
}

/// [first, last) of band b of count over n items.
inline std::pair<std::size_t, std::size_t> slice(std::size_t n, int b, int count) {
    return {n * std::size_t(b) / std::size_t(count), n * std::size_t(b + 1) / std::size_t(count)};
}

} // namespace varilume::bands
