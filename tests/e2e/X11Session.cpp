#include "e2e/X11Session.h"

#include <QDeadlineTimer>
#include <QThread>

#include <poll.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace e2e {

struct X11Session::Connection {
    Display* display = nullptr;
    ~Connection()
    {
        if (display)
            XCloseDisplay(display);
    }
};

namespace {

int IgnoreXErrors(Display*, XErrorEvent*)
{
    // Windows can vanish between listing and reading them.
    return 0;
}

// The raw bytes of a window property of the given type; empty when it is not set.
QByteArray Property(Display* display, Window window, const char* name, Atom wanted)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QByteArray result;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, wanted, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
        // 32-bit items come as longs, as Xlib hands them out.
        const auto itemSize = format == 32 ? sizeof(long) : static_cast<size_t>(format / 8);
        result = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count * itemSize));
        XFree(data);
    }
    return result;
}

QString Utf8Property(Display* display, Window window, const char* name)
{
    return QString::fromUtf8(Property(display, window, name, XInternAtom(display, "UTF8_STRING", False)));
}

qint64 PidProperty(Display* display, Window window)
{
    const QByteArray data = Property(display, window, "_NET_WM_PID", XA_CARDINAL);
    if (data.size() != static_cast<qsizetype>(sizeof(long)))
        return 0;
    return static_cast<qint64>(*reinterpret_cast<const unsigned long*>(data.constData()));
}

} // namespace

X11Session::X11Session() : m_connection(std::make_unique<Connection>())
{
    XSetErrorHandler(IgnoreXErrors);
    // The server picks a free display number itself and writes it to the pipe,
    // so tests running side by side never share a display.
    int fds[2];
    if (pipe(fds) != 0)
        return;
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QString::number(fds[1]), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    close(fds[1]);
    QByteArray number;
    if (m_server.waitForStarted(5000)) {
        pollfd readable{fds[0], POLLIN, 0};
        char c = 0;
        while (poll(&readable, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number.append(c);
    }
    close(fds[0]);
    if (number.isEmpty())
        return;
    m_displayName = QLatin1Char(':') + QString::fromLatin1(number);
    m_connection->display = XOpenDisplay(m_displayName.toLatin1().constData());
}

X11Session::~X11Session()
{
    m_connection.reset();
    for (QProcess* process : {&m_tray, &m_server}) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(3000)) {
                process->kill();
                process->waitForFinished(2000);
            }
        }
    }
}

bool X11Session::isRunning() const
{
    return m_connection->display != nullptr;
}

bool X11Session::startTray()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_displayName);
    m_tray.setProcessEnvironment(env);
    m_tray.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top"),
                                            QStringLiteral("--SetDockType"), QStringLiteral("false")});
    if (!m_tray.waitForStarted(5000))
        return false;
    Display* display = m_connection->display;
    const Atom selection = XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False);
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (XGetSelectionOwner(display, selection) != 0)
            return true;
        QThread::msleep(50);
    }
    return false;
}

std::vector<TopWindow> X11Session::windows() const
{
    std::vector<TopWindow> result;
    Display* display = m_connection->display;
    if (!display)
        return result;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return result;
    for (unsigned int i = 0; i < count; ++i) {
        TopWindow top;
        top.id = children[i];
        top.title = Utf8Property(display, children[i], "_NET_WM_NAME");
        if (top.title.isEmpty())
            continue;
        top.pid = PidProperty(display, children[i]);
        const QByteArray types = Property(display, children[i], "_NET_WM_WINDOW_TYPE", XA_ATOM);
        const Atom dialogType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
        for (qsizetype at = 0; at + qsizetype(sizeof(long)) <= types.size(); at += sizeof(long))
            top.dialog = top.dialog || *reinterpret_cast<const Atom*>(types.constData() + at) == dialogType;
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes))
            top.viewable = attributes.map_state == IsViewable;
        result.push_back(top);
    }
    if (children)
        XFree(children);
    return result;
}

std::vector<TopWindow> X11Session::viewableWindowsOf(qint64 pid) const
{
    std::vector<TopWindow> result;
    for (const TopWindow& window : windows())
        if (window.pid == pid && window.viewable)
            result.push_back(window);
    return result;
}

void X11Session::requestClose(std::uint64_t window) const
{
    Display* display = m_connection->display;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(window);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, static_cast<Window>(window), False, NoEventMask, &event);
    XFlush(display);
}

QRect X11Session::geometry(std::uint64_t window) const
{
    Display* display = m_connection->display;
    XWindowAttributes attributes{};
    Window child = 0;
    int x = 0;
    int y = 0;
    if (!display || !XGetWindowAttributes(display, static_cast<Window>(window), &attributes) ||
        !XTranslateCoordinates(display, static_cast<Window>(window), DefaultRootWindow(display), 0, 0, &x, &y,
                               &child))
        return {};
    return {x, y, attributes.width, attributes.height};
}

QImage X11Session::grab(std::uint64_t window) const
{
    Display* display = m_connection->display;
    const QRect area = geometry(window);
    if (area.isEmpty())
        return {};
    // From the root window, so that whatever lies on top of the window shows as it does on screen.
    XImage* image = XGetImage(display, DefaultRootWindow(display), area.x(), area.y(),
                              static_cast<unsigned>(area.width()), static_cast<unsigned>(area.height()),
                              AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage result(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            result.setPixel(x, y, static_cast<QRgb>(XGetPixel(image, x, y)) | 0xff000000u);
    XDestroyImage(image);
    return result;
}

} // namespace e2e
