#pragma once

#include <QRunnable>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

/// Work split into pieces that run on all cores at once. The calling thread
/// takes pieces itself while the threads of Qt's pool join in as they get a
/// core: on a loaded machine the caller simply does more of them and never
/// waits for a thread that is not running.
namespace varilume::parallel {

/// Pieces for `items` pieces of work: one per core (at most eight), but none
/// smaller than minPerPiece, so that small work pays no hand-over.
inline int pieceCount(std::size_t items, std::size_t minPerPiece) {
    const std::size_t cores = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    return int(std::clamp<std::size_t>(items / std::max<std::size_t>(minPerPiece, 1), 1, cores));
}

namespace detail {

// Shared with the helpers, which may start after the caller has returned.
struct Job {
    std::mutex m;
    std::condition_variable done;
    bool open = true;
    int active = 0;
    std::atomic<int> next{0};
    int count = 0;
    void (*call)(void*, int) = nullptr;
    void* work = nullptr;

    // Takes pieces until none is left.
    void take() {
        for (int b; (b = next.fetch_add(1)) < count;)
            call(work, b);
    }
};

} // namespace detail

/// Calls work(piece) for piece 0 .. count-1, each once, and returns when every
/// call has returned. work must not throw.
template <typename Work> void run(int count, Work&& work) {
    if (count <= 1) {
        if (count == 1)
            work(0);
        return;
    }
    auto job = std::make_shared<detail::Job>();
    job->count = count;
    job->work = &work;
    job->call = [](void* w, int b) { (*static_cast<std::remove_reference_t<Work>*>(w))(b); };
    QThreadPool* pool = QThreadPool::globalInstance();
    for (int h = 1; h < std::min(count, pool->maxThreadCount() + 1); ++h) {
        pool->start([job] {
            {
                std::lock_guard lock(job->m);
                if (!job->open)
                    return;
                ++job->active;
            }
            job->take();
            std::lock_guard lock(job->m);
            if (--job->active == 0)
                job->done.notify_all();
        });
    }
    job->take();
    std::unique_lock lock(job->m);
    job->open = false;
    job->done.wait(lock, [&] { return job->active == 0; });
}

/// [first, last) of piece b of count over n items.
inline std::pair<std::size_t, std::size_t> slice(std::size_t n, int b, int count) {
    return {n * std::size_t(b) / std::size_t(count), n * std::size_t(b + 1) / std::size_t(count)};
}

} // namespace varilume::parallel
