#include "platform/linux/CurlConnectivityProbe.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace platform {

namespace {

void initCurlOnce()
{
    // Older libcurl builds cannot run curl_global_init from two threads at once.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

} // namespace

CurlConnectivityProbe::CurlConnectivityProbe(int timeoutMs)
    : m_timeoutMs(timeoutMs > 0 ? timeoutMs : DefaultTimeoutMs)
{
    initCurlOnce();
}

bool CurlConnectivityProbe::reach(const QString& url)
{
    const std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl)
        return false;
    CURL* h = curl.get();
    const QByteArray address = url.toUtf8();
    const long timeout = m_timeoutMs;

    curl_easy_setopt(h, CURLOPT_URL, address.constData());
    // HEAD: the status line and headers prove the server answers; no body crosses the wire.
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, timeout);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, timeout);
    // A SIGALRM-based resolver time-out is unsafe once the program has threads.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // The program talks to the site directly; proxy variables of the session are not ours to obey.
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(h, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    // A redirect is an answer already; following it would probe another server.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);

    if (curl_easy_perform(h) != CURLE_OK)
        return false;
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    return status > 0;
}

} // namespace platform
