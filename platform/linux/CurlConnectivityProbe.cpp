#include "platform/linux/CurlConnectivityProbe.h"

#include "platform/linux/CurlMulti.h"
#include "platform/linux/CurlSetup.h"

#include <QTimer>

#include <chrono>

namespace platform {

CurlConnectivityProbe::CurlConnectivityProbe(int timeoutMs)
    : m_timeoutMs(timeoutMs > 0 ? timeoutMs : DefaultTimeoutMs), m_multi(std::make_unique<CurlMulti>()),
      m_deferred(std::make_unique<QObject>())
{
}

CurlConnectivityProbe::~CurlConnectivityProbe()
{
    cancel();
}

void CurlConnectivityProbe::reach(const QString& url, Done done)
{
    cancel();
    // One limit for the connection and for the whole request alike.
    CurlOptions options;
    options.ConnectTimeout = std::chrono::milliseconds(m_timeoutMs);
    options.TransferTimeout = options.ConnectTimeout;
    m_handle = std::make_unique<CurlEasyHandle>(options);
    CURL* h = m_handle->get();
    const auto callback = std::make_shared<Done>(std::move(done));
    if (h) {
        m_address = url.toUtf8();
        curl_easy_setopt(h, CURLOPT_URL, m_address.constData());
        // HEAD: the status line and headers prove the server answers; no body crosses the wire.
        curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
        // A redirect is an answer already; following it would probe another server.
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    }
    const bool started = h && m_multi->Start(h, [h, callback](CURLcode code) {
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        (*callback)(code == CURLE_OK && status > 0);
    });
    if (!started)
        QTimer::singleShot(0, m_deferred.get(), [callback] { (*callback)(false); });
}

void CurlConnectivityProbe::cancel()
{
    if (m_handle)
        m_multi->Abort(m_handle->get());
    m_deferred = std::make_unique<QObject>();
}

} // namespace platform
