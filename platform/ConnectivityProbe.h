#pragma once

#include <QString>

namespace platform {

// Whether an address can be reached at all.
class ConnectivityProbe {
public:
    virtual ~ConnectivityProbe() = default;

    // True when the server answered with any HTTP response. A refused or broken
    // connection, a TLS failure or a time-out is false. Nothing of the body is read.
    virtual bool reach(const QString& url) = 0;
};

} // namespace platform
