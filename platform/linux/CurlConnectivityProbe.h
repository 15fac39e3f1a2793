#pragma once

#include "platform/ConnectivityProbe.h"

#include <QByteArray>
#include <QObject>

#include <memory>

namespace platform {

class CurlEasyHandle;
class CurlMulti;

// One HEAD request per probe through libcurl on the event loop: no proxy, certificates
// verified against the system store, redirects taken as the answer they already are.
class CurlConnectivityProbe final : public ConnectivityProbe {
public:
    static constexpr int DefaultTimeoutMs = 10000;

    explicit CurlConnectivityProbe(int timeoutMs = DefaultTimeoutMs);
    ~CurlConnectivityProbe() override;

    void reach(const QString& url, Done done) override;
    void cancel() override;

private:
    int m_timeoutMs;
    std::unique_ptr<CurlMulti> m_multi;
    // The transfer of the probe in flight; a new probe opens a new connection.
    std::unique_ptr<CurlEasyHandle> m_handle;
    QByteArray m_address;
    std::unique_ptr<QObject> m_deferred;
};

} // namespace platform
