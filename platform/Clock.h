#pragma once

#include <QDateTime>

#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary start, as an unsigned 32-bit value that wraps.
    virtual std::uint32_t tickCount() const = 0;
    // The local date and time.
    virtual QDateTime now() const = 0;
    // Blocks the calling thread; pending events are not handled meanwhile.
    virtual void sleep(int milliseconds) = 0;
};

} // namespace platform
