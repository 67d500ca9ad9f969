#pragma once

// The one way the search module shares work over threads.

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

namespace varilume::detail {

/// The threads a setting asks for: the number given, or every core for 0 (or less).
inline unsigned threadsFor(int setting) {
    return setting > 0 ? static_cast<unsigned>(setting)
                       : std::max(1u, std::thread::hardware_concurrency());
}

/// Runs work(part) for every part below parts at once: part 0 on the calling
/// thread, each other on a thread of its own; returns when all are done.
template <typename Work> void onThreads(std::size_t parts, const Work& work) {
    std::vector<std::jthread> pool;
    for (std::size_t part = 1; part < parts; ++part)
        pool.emplace_back([&work, part] { work(part); });
    work(std::size_t{0});
}

} // namespace varilume::detail
