#pragma once

#include "platform/linux/CurlOptions.h"

#include <QByteArray>

#include <curl/curl.h>

#include <initializer_list>
#include <memory>

namespace platform {

// curl_global_init for the whole process, done once; safe to call from any thread.
void initCurlOnce();

struct CurlListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
// A header list handed to a handle; it must outlive the handle's use of it.
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

// A GET over HTTP/1.1 with the user agent and the request headers given.
CurlList SetRequestHeaders(CURL* handle, const char* userAgent, std::initializer_list<const char*> headers);

// An easy handle with what every transfer of the program shares: no proxy, http and
// https only (also for redirects), the server certificate and host name verified,
// the connect and whole-transfer time-outs, no signals. The caller adds what its
// request needs. get() is null when curl_easy_init fails.
class CurlEasyHandle final {
public:
    explicit CurlEasyHandle(const CurlOptions& options);
    ~CurlEasyHandle();
    CurlEasyHandle(const CurlEasyHandle&) = delete;
    CurlEasyHandle& operator=(const CurlEasyHandle&) = delete;

    CURL* get() const { return m_easy; }
    // The address of the next transfer, which must live as long as that. The test hosts'
    // addresses are given again with it: libcurl keeps them in the connection pool's name
    // cache, which a client starts anew once it has been idle.
    void SetUrl(const QByteArray& address);

private:
    CURL* m_easy = nullptr;
    // Referred to by the handle until it is cleaned up.
    curl_slist* m_resolve = nullptr;
};

} // namespace platform
