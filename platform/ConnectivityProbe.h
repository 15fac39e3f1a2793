#pragma once

#include <QString>

#include <functional>

namespace platform {

// Whether an address can be reached at all.
class ConnectivityProbe {
public:
    using Done = std::function<void(bool reached)>;
    virtual ~ConnectivityProbe() = default;

    // Asks the server; `done` gets true when it answered with any HTTP response, false for a
    // refused or broken connection, a TLS failure or a time-out. Nothing of the body is read.
    // The answer comes once, from the event loop; a probe still running is cancelled first.
    virtual void reach(const QString& url, Done done) = 0;
    // Cancels the probe in flight; its `done` is not called.
    virtual void cancel() = 0;
};

} // namespace platform
