#include "platform/linux/SteadyClock.h"

#include "store/DayCount.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>

namespace platform {

namespace {

// Far enough ahead never to expire: the descriptor serves only to be cancelled.
constexpr time_t FarAhead = static_cast<time_t>(INT32_MAX);

} // namespace

SteadyClock::SteadyClock()
{
    ReadZone();
    m_transition.setSingleShot(true);
    m_transition.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_transition, &QTimer::timeout, &m_transition, [this] {
        // The timer looks at least once a day; only a transition passed changes the time.
        if (QDateTime::currentDateTimeUtc() >= m_transitionAt)
            Changed();
        else
            ReadZone();
    });
}

SteadyClock::~SteadyClock()
{
    m_clockSetNotifier.reset();
    if (m_clockSet >= 0)
        ::close(m_clockSet);
}

std::uint32_t SteadyClock::tickCount() const
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    // Callers compare these values with wrap-around in mind.
    return static_cast<std::uint32_t>(ms);
}

QDateTime SteadyClock::now() const
{
    return store::LocalNow();
}

void SteadyClock::onChanged(std::function<void()> changed)
{
    m_changed = std::move(changed);
    if (!m_zoneWatcher) {
        m_zoneWatcher = std::make_unique<QFileSystemWatcher>();
        // "localtime" is replaced rather than written: the folder sees it.
        m_zoneWatcher->addPath(QStringLiteral("/etc"));
        QObject::connect(m_zoneWatcher.get(), &QFileSystemWatcher::directoryChanged, m_zoneWatcher.get(),
                         [this] {
                             const QByteArray before = store::LocalZone().id();
                             ReadZone();
                             if (store::LocalZone().id() != before)
                                 Changed();
                         });
    }
    if (m_clockSet < 0) {
        m_clockSet = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
        if (m_clockSet >= 0) {
            ArmClockSet();
            m_clockSetNotifier = std::make_unique<QSocketNotifier>(m_clockSet, QSocketNotifier::Read);
            QObject::connect(m_clockSetNotifier.get(), &QSocketNotifier::activated, m_clockSetNotifier.get(),
                             [this] {
                                 std::uint64_t expirations = 0;
                                 // ECANCELED: the clock was set. Re-armed for the next time.
                                 while (::read(m_clockSet, &expirations, sizeof expirations) > 0) {
                                 }
                                 ArmClockSet();
                                 Changed();
                             });
        }
    }
}

void SteadyClock::ReadZone()
{
    store::ReadLocalZone();
    const QTimeZone zone = store::LocalZone();
    m_transition.stop();
    if (!zone.isValid() || !zone.hasTransitions())
        return;
    const QTimeZone::OffsetData next = zone.nextTransition(QDateTime::currentDateTimeUtc());
    if (!next.atUtc.isValid())
        return;
    m_transitionAt = next.atUtc;
    const qint64 ms = QDateTime::currentDateTimeUtc().msecsTo(next.atUtc);
    // A transition more than a day away is looked at again on the way.
    m_transition.start(static_cast<int>(std::clamp<qint64>(ms + 1, 1, 24LL * 60 * 60 * 1000)));
}

void SteadyClock::ArmClockSet()
{
    itimerspec farAhead{};
    farAhead.it_value.tv_sec = FarAhead;
    ::timerfd_settime(m_clockSet, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &farAhead, nullptr);
}

void SteadyClock::Changed()
{
    ReadZone();
    if (m_changed)
        m_changed();
}

} // namespace platform
