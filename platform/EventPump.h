#pragma once

#include "platform/Platform.h"

#include <QElapsedTimer>

namespace varilume {

/// Lets window events run during a long loop, but only every few milliseconds:
/// yielding once per record would cost more than the work itself on big files.
class EventPump {
public:
    explicit EventPump(Platform& platform)
        : platform_(platform), intervalMs_(platform.yieldIntervalMs()) {
        timer_.start();
    }

    /// Call once per record; cheap when no yield is due. True when it yielded,
    /// the moment to update a progress display too.
    bool tick() {
        if (++calls_ % 64 != 0)
            return false;
        if (timer_.elapsed() < intervalMs_)
            return false;
        platform_.processEvents();
        timer_.restart();
        return true;
    }
    /// Call once per block of many records: yields when the interval has passed.
    bool due() {
        if (timer_.elapsed() < intervalMs_)
            return false;
        now();
        return true;
    }
    /// Yield now, whatever the time.
    void now() {
        platform_.processEvents();
        timer_.restart();
    }

private:
    Platform& platform_;
    int intervalMs_;
    QElapsedTimer timer_;
    unsigned calls_ = 0;
};

} // namespace varilume
