#pragma once

#include "platform/Platform.h"

#include <QElapsedTimer>
#include <functional>

namespace varilume {

/// Paces a long loop: every few milliseconds it shows how far the loop has got
/// and lets window events run. Asking costs next to nothing between times.
class Pacer {
public:
    Pacer(Platform& platform, std::function<void(int)> progress)
        : platform_(platform), progress_(std::move(progress)),
          intervalMs_(platform.yieldIntervalMs()) {
        timer_.start();
    }

    /// Call once per record with the number of records done.
    void tick(qint64 done) {
        if (intervalMs_ > 0 && (++calls_ & 255u) != 0)
            return;
        if (timer_.elapsed() >= intervalMs_)
            now(done);
    }
    /// Show progress and yield now, whatever the time.
    void now(qint64 done) {
        if (progress_)
            progress_(static_cast<int>(std::min<qint64>(done, INT32_MAX)));
        platform_.processEvents();
        timer_.restart();
    }

private:
    Platform& platform_;
    std::function<void(int)> progress_;
    int intervalMs_;
    QElapsedTimer timer_;
    unsigned calls_ = 0;
};

} // namespace varilume
