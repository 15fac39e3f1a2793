#include "platform/linux/CurlConnectivityProbe.h"

#include "platform/linux/CurlSetup.h"

#include <chrono>

namespace platform {

CurlConnectivityProbe::CurlConnectivityProbe(int timeoutMs)
    : m_timeoutMs(timeoutMs > 0 ? timeoutMs : DefaultTimeoutMs)
{
    // On the thread that creates the probe, before any probe runs.
    initCurlOnce();
}

bool CurlConnectivityProbe::reach(const QString& url)
{
    // One limit for the connection and for the whole request alike.
    CurlOptions options;
    options.ConnectTimeout = std::chrono::milliseconds(m_timeoutMs);
    options.TransferTimeout = options.ConnectTimeout;
    const CurlEasyHandle curl(options);
    CURL* h = curl.get();
    if (!h)
        return false;
    const QByteArray address = url.toUtf8();

    curl_easy_setopt(h, CURLOPT_URL, address.constData());
    // HEAD: the status line and headers prove the server answers; no body crosses the wire.
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    // A redirect is an answer already; following it would probe another server.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);

    if (curl_easy_perform(h) != CURLE_OK)
        return false;
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    return status > 0;
}

} // namespace platform
