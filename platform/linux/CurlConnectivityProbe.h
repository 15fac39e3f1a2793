#pragma once

#include "platform/ConnectivityProbe.h"

namespace platform {

// One HEAD request per probe through libcurl: no proxy, certificates verified
// against the system store, redirects taken as the answer they already are.
class CurlConnectivityProbe final : public ConnectivityProbe {
public:
    static constexpr int DefaultTimeoutMs = 10000;

    explicit CurlConnectivityProbe(int timeoutMs = DefaultTimeoutMs);

    bool reach(const QString& url) override;

private:
    int m_timeoutMs;
};

} // namespace platform
