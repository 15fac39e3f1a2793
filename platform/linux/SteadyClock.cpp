#include "platform/linux/SteadyClock.h"

#include <QThread>

#include <chrono>

namespace platform {

std::uint32_t SteadyClock::tickCount() const
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    // Callers compare these values with wrap-around in mind.
    return static_cast<std::uint32_t>(ms);
}

QDateTime SteadyClock::now() const
{
    return QDateTime::currentDateTime();
}

void SteadyClock::sleep(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

} // namespace platform
