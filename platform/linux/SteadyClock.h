#pragma once

#include "platform/Clock.h"

#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace platform {

// The monotonic clock for tickCount, and the local time in the system's time zone, read once
// and again only when it changes (store::LocalZone), so that asking for the time costs no file
// access.
class SteadyClock final : public Clock {
public:
    SteadyClock();
    ~SteadyClock() override;
    SteadyClock(const SteadyClock&) = delete;
    SteadyClock& operator=(const SteadyClock&) = delete;

    std::uint32_t tickCount() const override;
    QDateTime now() const override;
    void onChanged(std::function<void()> changed) override;

private:
    void ReadZone();
    // Arms the timer descriptor that the kernel cancels when the wall clock is set.
    void ArmClockSet();
    void Changed();

    std::function<void()> m_changed;
    // A timer descriptor of the real-time clock, cancelled by the kernel on a clock set; -1
    // where there is none.
    int m_clockSet = -1;
    std::unique_ptr<QSocketNotifier> m_clockSetNotifier;
    // The folder that holds "localtime", for a zone changed by the system.
    std::unique_ptr<QFileSystemWatcher> m_zoneWatcher;
    // The next change of the zone's offset.
    QTimer m_transition;
    QDateTime m_transitionAt;
};

} // namespace platform
