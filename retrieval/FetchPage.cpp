#include "retrieval/FetchPage.h"

#include <curl/curl.h>

#include <mutex>

namespace retrieval {

namespace {

constexpr char UserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";
constexpr char AcceptHeader[] = "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
constexpr char PragmaHeader[] = "Pragma: no-cache";

void initCurlOnce()
{
    // Thread-safe in this libcurl (7.84+, CURL_VERSION_THREADSAFE), but older builds are not,
    // and once is all the process needs.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

FetchError classify(CURLcode code)
{
    switch (code) {
    case CURLE_OK:
        return FetchError::None;
    case CURLE_OPERATION_TIMEDOUT:
        return FetchError::Timeout;
    case CURLE_TOO_MANY_REDIRECTS:
        return FetchError::TooManyRedirects;
    case CURLE_FILESIZE_EXCEEDED:
        return FetchError::TooLarge;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return FetchError::RefusedScheme;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
    case CURLE_USE_SSL_FAILED:
        return FetchError::Tls;
    default:
        // Refused, reset, unknown host, closed mid-body:
        // for the user all of them mean the page could not be reached.
        return FetchError::Connection;
    }
}

} // namespace

QString ItemPagePrefix()
{
    return QStringLiteral("https://page");
}

QString fetchErrorText(FetchError error, int httpStatus)
{
    switch (error) {
    case FetchError::None:
        return {};
    case FetchError::Connection:
        return QStringLiteral("サーバーに接続できないか、接続が切れました");
    case FetchError::Tls:
        return QStringLiteral("安全な接続(TLS)を確立できませんでした");
    case FetchError::Timeout:
        return QStringLiteral("タイムアウトしました");
    case FetchError::HttpStatus:
        return QStringLiteral("サーバーがエラーを返しました (HTTP %1)").arg(httpStatus);
    case FetchError::TooManyRedirects:
        return QStringLiteral("リダイレクトが多すぎます");
    case FetchError::TooLarge:
        return QStringLiteral("ページが大きすぎます (8 MiB 超)");
    case FetchError::RefusedScheme:
        return QStringLiteral("http・https以外のアドレスは開けません");
    }
    return {};
}

struct PageFetcher::State {
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    curl_slist* resolve = nullptr;
    QByteArray body;
    bool tooLarge = false;

    ~State()
    {
        // The handle refers to the lists, so it goes first.
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
        curl_slist_free_all(resolve);
    }
};

PageFetcher::PageFetcher(const FetchOptions& options) : m_state(std::make_unique<State>())
{
    initCurlOnce();
    CURL* h = curl_easy_init();
    if (!h)
        return;
    m_state->easy = h;

    // A SIGALRM-based resolver time-out is unsafe once the program has threads.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_USERAGENT, UserAgent);
    m_state->headers = curl_slist_append(m_state->headers, AcceptHeader);
    m_state->headers = curl_slist_append(m_state->headers, PragmaHeader);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, m_state->headers);
    // No CURLOPT_ACCEPT_ENCODING: the site sees no Accept-Encoding and sends the plain entity.

    // An empty file name switches the cookie engine on without reading or writing a file.
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");

    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, MaxRedirects);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Direct to the site; proxy variables of the session are not ours to obey.
    curl_easy_setopt(h, CURLOPT_PROXY, "");

    curl_easy_setopt(h, CURLOPT_SSLVERSION,
                     static_cast<long>(CURL_SSLVERSION_TLSv1_2) |
                         static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2));
    // Verified, unlike the old client: an unchecked certificate lets anyone on the path feed
    // us pages (and through them prices and end times).
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options.extraCaFile.isEmpty()) {
        // libcurl copies the string; the default CA directory keeps the system store in use.
        curl_easy_setopt(h, CURLOPT_CAINFO, options.extraCaFile.toLocal8Bit().constData());
    }
    if (options.newConnectionPerFetch)
        curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
    for (const QString& entry : options.resolve)
        m_state->resolve = curl_slist_append(m_state->resolve, entry.toUtf8().constData());
    if (m_state->resolve)
        curl_easy_setopt(h, CURLOPT_RESOLVE, m_state->resolve);

    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(options.transferTimeout.count()));

    // A declared length over the limit fails before the body; the write callback catches
    // chunked bodies that grow past it.
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxBodyBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &PageFetcher::receive);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, m_state.get());
}

PageFetcher::~PageFetcher() = default;

std::size_t PageFetcher::receive(char* data, std::size_t size, std::size_t count, void* state)
{
    auto* s = static_cast<State*>(state);
    const std::size_t bytes = size * count;
    if (s->body.size() + bytes > MaxBodyBytes) {
        s->tooLarge = true;
        return 0; // anything but `bytes` aborts the transfer
    }
    s->body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

FetchResult PageFetcher::FetchPage(const QString& url)
{
    FetchResult result;
    m_state->body.clear();
    m_state->tooLarge = false;

    FetchError error = FetchError::Connection;
    if (CURL* h = m_state->easy) {
        const QByteArray address = url.toUtf8();
        curl_easy_setopt(h, CURLOPT_URL, address.constData());
        const CURLcode code = curl_easy_perform(h);
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        result.httpStatus = static_cast<int>(status);
        error = m_state->tooLarge ? FetchError::TooLarge : classify(code);
        if (error == FetchError::None && (status < 200 || status > 299))
            error = FetchError::HttpStatus;
    }

    if (error != FetchError::None) {
        result.error = error;
        result.errorText = fetchErrorText(error, result.httpStatus);
        m_state->body = QByteArray();
        return result;
    }
    result.ok = true;
    result.body = std::move(m_state->body);
    m_state->body = QByteArray();
    return result;
}

} // namespace retrieval
