#pragma once

#include <QDateTime>

#include <cstdint>
#include <functional>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary start, as an unsigned 32-bit value that wraps.
    virtual std::uint32_t tickCount() const = 0;
    // The local date and time.
    virtual QDateTime now() const = 0;
    // Calls changed, from the event loop, whenever the local time jumps against tickCount: the
    // wall clock was set, the time zone was changed, or the zone's offset changed (daylight
    // saving). One listener; a later call replaces it.
    virtual void onChanged(std::function<void()> changed) = 0;
};

} // namespace platform
