#include "platform/linux/CurlSetup.h"

#include <mutex>

namespace platform {

void initCurlOnce()
{
    // Thread-safe in this libcurl (7.84+, CURL_VERSION_THREADSAFE), but older builds are not,
    // and once is all the process needs.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CurlList SetRequestHeaders(CURL* handle, const char* userAgent, std::initializer_list<const char*> headers)
{
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent);
    curl_slist* list = nullptr;
    for (const char* header : headers) {
        // On failure the list stays as it was and is still ours to free.
        if (curl_slist* longer = curl_slist_append(list, header))
            list = longer;
    }
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, list);
    return CurlList(list);
}

CurlEasyHandle::CurlEasyHandle(const CurlOptions& options)
{
    initCurlOnce();
    CURL* h = curl_easy_init();
    if (!h)
        return;
    m_easy = h;

    // A SIGALRM-based resolver time-out is unsafe once the program has threads.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // The program talks to the site directly; proxy variables of the session are not ours to obey.
    curl_easy_setopt(h, CURLOPT_PROXY, "");
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(h, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif

    // Verified: an unchecked certificate would let anyone on the path feed
    // us pages (and through them prices and end times).
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options.ExtraCaFile.isEmpty()) {
        // libcurl copies the string; the default CA directory keeps the system store in use.
        curl_easy_setopt(h, CURLOPT_CAINFO, options.ExtraCaFile.toLocal8Bit().constData());
    }
    for (const QString& entry : options.Resolve) {
        // On failure the list stays as it was and is still ours to free.
        if (curl_slist* longer = curl_slist_append(m_resolve, entry.toUtf8().constData()))
            m_resolve = longer;
    }
    if (m_resolve)
        curl_easy_setopt(h, CURLOPT_RESOLVE, m_resolve);

    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.ConnectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(options.TransferTimeout.count()));
}

void CurlEasyHandle::SetUrl(const QByteArray& address)
{
    if (!m_easy)
        return;
    curl_easy_setopt(m_easy, CURLOPT_URL, address.constData());
    if (m_resolve)
        curl_easy_setopt(m_easy, CURLOPT_RESOLVE, m_resolve);
}

CurlEasyHandle::~CurlEasyHandle()
{
    // The handle refers to the list, so it goes first.
    if (m_easy)
        curl_easy_cleanup(m_easy);
    curl_slist_free_all(m_resolve);
}

} // namespace platform
