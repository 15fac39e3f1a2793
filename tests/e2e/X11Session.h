#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace e2e {

struct TopWindow {
    std::uint64_t id = 0;
    qint64 pid = 0;
    QString title;
    bool viewable = false;
    // A dialog (a message box, say) rather than a main window.
    bool dialog = false;
};

// A private X display (Xvfb) for one test, optionally with a system tray on it.
class X11Session final {
public:
    X11Session();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool isRunning() const;
    QString displayName() const { return m_displayName; }

    // Starts a tray host, so that programs on this display find a system tray.
    bool startTray();

    // The top-level windows that carry a title.
    std::vector<TopWindow> windows() const;
    std::vector<TopWindow> viewableWindowsOf(qint64 pid) const;
    // Asks a window to close, as the window manager's close button would.
    void requestClose(std::uint64_t window) const;
    // Where a window is on the screen; empty once it is gone.
    QRect geometry(std::uint64_t window) const;
    // What a window shows now, as the screen has it.
    QImage grab(std::uint64_t window) const;

private:
    struct Connection;

    QProcess m_server;
    QProcess m_tray;
    QString m_displayName;
    std::unique_ptr<Connection> m_connection;
};

} // namespace e2e
