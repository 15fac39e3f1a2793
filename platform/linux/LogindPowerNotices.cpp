#include "platform/linux/LogindPowerNotices.h"

namespace platform {

LogindPowerNotices::LogindPowerNotices(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus)
{
}

void LogindPowerNotices::listen(std::function<void(int code)> handler)
{
    m_handler = std::move(handler);
    // No bus, no notices; the program runs on without them.
    if (!m_bus.isConnected())
        return;
    // The match names logind's service, so only the owner of that name (root's
    // logind on the system bus) can announce a suspend, not any other client.
    // Qt keeps a single hook per receiver and slot, so listening again only
    // swaps the handler.
    m_bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                  QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                  SLOT(onPrepareForSleep(bool)));
}

void LogindPowerNotices::onPrepareForSleep(bool start)
{
    if (m_handler)
        m_handler(start ? Suspend : ResumeSuspend);
}

} // namespace platform
