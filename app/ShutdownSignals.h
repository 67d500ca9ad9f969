#pragma once

// SIGTERM and SIGINT (a logout, kill, Ctrl+C in the terminal) end a window
// session the way closing the window does: the handler only writes a byte to
// a socket pair; the event loop reads it and runs the close on the main thread.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace varilume {

class ShutdownSignals : public QObject {
public:
    /// Installs the handlers; onSignal runs in the event loop once per signal.
    explicit ShutdownSignals(std::function<void()> onSignal);
    ~ShutdownSignals() override;
    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

    /// False when the socket pair or the handlers could not be set up.
    bool installed() const { return notifier_ != nullptr; }

private:
    void readSignal();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace varilume
