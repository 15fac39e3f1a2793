#include "WindowPinger.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>

#include <algorithm>

namespace bench {

WindowPinger::WindowPinger(const QString& displayName, std::uint64_t window,
                           std::chrono::milliseconds interval)
    : m_window(window), m_interval(interval)
{
    m_display = XOpenDisplay(displayName.toLatin1().constData());
    if (!m_display) {
        m_error = QStringLiteral("cannot open display %1").arg(displayName);
        return;
    }
    // The window says which protocols it follows; Qt's windows name _NET_WM_PING.
    const Atom ping = XInternAtom(m_display, "_NET_WM_PING", False);
    Atom* protocols = nullptr;
    int count = 0;
    bool follows = false;
    if (XGetWMProtocols(m_display, static_cast<Window>(window), &protocols, &count) != 0) {
        follows = std::find(protocols, protocols + count, ping) != protocols + count;
        XFree(protocols);
    }
    if (!follows) {
        m_error = QStringLiteral("the window does not answer _NET_WM_PING");
        XCloseDisplay(m_display);
        m_display = nullptr;
        return;
    }
    // The answers go to the root window for whoever selected its structure events (Qt 6) or its
    // substructure events (what a window manager selects).
    XSelectInput(m_display, DefaultRootWindow(m_display), StructureNotifyMask | SubstructureNotifyMask);
    XSync(m_display, False);
    m_thread = std::thread([this] { run(); });
}

WindowPinger::~WindowPinger()
{
    stop();
}

std::vector<WindowPinger::Ping> WindowPinger::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_display) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
    return m_pings;
}

void WindowPinger::run()
{
    Display* display = m_display;
    const Window root = DefaultRootWindow(display);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    const auto window = static_cast<Window>(m_window);

    const auto takeAnswers = [&] {
        while (XPending(display) > 0) {
            XEvent event{};
            XNextEvent(display, &event);
            if (event.type != ClientMessage || event.xclient.window != root ||
                event.xclient.message_type != protocols || static_cast<Atom>(event.xclient.data.l[0]) != ping)
                continue;
            // The timestamp field carries the ping's number; the client sends the message back as it came.
            const auto number = static_cast<std::size_t>(event.xclient.data.l[1]);
            if (number < m_pings.size() && !m_pings[number].answer) {
                m_pings[number].answered = Clock::now();
                m_pings[number].answer = true;
            }
        }
    };

    Clock::time_point next = Clock::now();
    while (!m_stop) {
        takeAnswers();
        const Clock::time_point now = Clock::now();
        if (now >= next) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = protocols;
            event.xclient.format = 32;
            event.xclient.data.l[0] = static_cast<long>(ping);
            event.xclient.data.l[1] = static_cast<long>(m_pings.size());
            event.xclient.data.l[2] = static_cast<long>(window);
            m_pings.push_back({now, {}, false});
            XSendEvent(display, window, False, NoEventMask, &event);
            XFlush(display);
            // On time again after this thread was held up, without a burst of pings.
            next += m_interval;
            if (next < now)
                next = now + m_interval;
            continue;
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - now);
        pollfd readable{ConnectionNumber(display), POLLIN, 0};
        poll(&readable, 1, static_cast<int>(std::min<long long>(wait.count(), 20)));
    }
    takeAnswers();
    const Clock::time_point end = Clock::now();
    for (Ping& sent : m_pings)
        if (!sent.answer)
            sent.answered = end;
}

} // namespace bench
