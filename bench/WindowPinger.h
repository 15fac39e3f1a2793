#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

struct _XDisplay; // Xlib's Display

namespace bench {

// Pings a top-level window the way a window manager does (_NET_WM_PING): a WM_PROTOCOLS client
// message every `interval`, from a thread and a display connection of its own, whether or not
// the last one was answered. The client's event loop answers by sending the message back to
// the root window; the time in between is the wait of that ping.
class WindowPinger final {
public:
    using Clock = std::chrono::steady_clock;

    struct Ping {
        Clock::time_point sent;
        Clock::time_point answered; // when the answer arrived, or when pinging stopped without one
        bool answer = false;

        std::chrono::milliseconds waited() const
        {
            return std::chrono::duration_cast<std::chrono::milliseconds>(answered - sent);
        }
    };

    WindowPinger(const QString& displayName, std::uint64_t window, std::chrono::milliseconds interval);
    ~WindowPinger();
    WindowPinger(const WindowPinger&) = delete;
    WindowPinger& operator=(const WindowPinger&) = delete;

    // Empty while pinging, otherwise why it cannot (no display, or the window does not follow
    // the protocol).
    QString error() const { return m_error; }
    // Stops pinging and returns every ping sent; those still unanswered count until now.
    std::vector<Ping> stop();

private:
    void run();

    _XDisplay* m_display = nullptr;
    std::uint64_t m_window;
    std::chrono::milliseconds m_interval;
    QString m_error;
    std::atomic<bool> m_stop{false};
    std::vector<Ping> m_pings;
    std::thread m_thread;
};

} // namespace bench
