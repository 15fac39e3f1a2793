#include "retrieval/FetchPage.h"

#include "platform/linux/CurlMulti.h"
#include "platform/linux/CurlSetup.h"

#include <QTimer>

#include <curl/curl.h>

namespace retrieval {

namespace {

constexpr char AcceptHeader[] = "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
constexpr char PragmaHeader[] = "Pragma: no-cache";

FetchError classify(CURLcode code)
{
    switch (code) {
    case CURLE_OK:
        return FetchError::None;
    case CURLE_OPERATION_TIMEDOUT:
        return FetchError::Timeout;
    case CURLE_COULDNT_RESOLVE_HOST:
        return FetchError::NameNotFound;
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
        // Refused, reset, closed mid-body:
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
    case FetchError::NameNotFound:
        return QStringLiteral("サーバーの名前が見つかりません (アドレスを確かめてください)");
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

struct PageFetcher::State : platform::CurlTransfer {
    using CurlTransfer::CurlTransfer;
    bool tooLarge = false;
};

PageFetcher::PageFetcher(const FetchOptions& options) : m_state(std::make_unique<State>(options))
{
    // Proxy, schemes, certificate checks and time-outs come with the handle.
    CURL* h = m_state->curl.get();
    if (!h)
        return;

    m_state->headers = platform::SetRequestHeaders(h, ProfileUserAgent, {AcceptHeader, PragmaHeader});
    // No CURLOPT_ACCEPT_ENCODING: the site sees no Accept-Encoding and sends the plain entity.

    // An empty file name switches the cookie engine on without reading or writing a file.
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");

    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, MaxRedirects);
    // TLS 1.2 exactly belongs to the site's request profile, like the headers above.
    curl_easy_setopt(h, CURLOPT_SSLVERSION,
                     static_cast<long>(CURL_SSLVERSION_TLSv1_2) |
                         static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2));
    if (options.NewConnectionPerFetch)
        curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);

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

void PageFetcher::Fetch(const QString& url, Done done)
{
    Cancel();
    m_state->body.clear();
    m_state->tooLarge = false;
    CURL* h = m_state->curl.get();
    // libcurl reads the address when the transfer starts, so it lives as long as the transfer.
    m_state->address = url.toUtf8();
    m_state->curl.SetUrl(m_state->address);
    const auto callback = std::make_shared<Done>(std::move(done));
    const bool started = h && m_state->multi.Start(h, [this, callback](CURLcode code) {
        (*callback)(Finish(static_cast<int>(code)));
    });
    if (started)
        return;
    // Reported as a transfer would report it: later, from the event loop.
    QTimer::singleShot(0, m_state->deferred.get(), [callback] {
        FetchResult failed;
        failed.Error = FetchError::Connection;
        failed.ErrorText = fetchErrorText(failed.Error, 0);
        (*callback)(failed);
    });
}

void PageFetcher::Cancel()
{
    if (CURL* h = m_state->curl.get())
        m_state->multi.Abort(h);
    // A failure still waiting to be reported goes with its context.
    m_state->deferred = std::make_unique<QObject>();
}

FetchResult PageFetcher::Finish(int code)
{
    FetchResult result;
    CURL* h = m_state->curl.get();
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    result.HttpStatus = static_cast<int>(status);
    FetchError error = m_state->tooLarge ? FetchError::TooLarge : classify(static_cast<CURLcode>(code));
    if (error == FetchError::None && (status < 200 || status > 299))
        error = FetchError::HttpStatus;

    if (error != FetchError::None) {
        result.Error = error;
        result.ErrorText = fetchErrorText(error, result.HttpStatus);
        m_state->body = QByteArray();
        return result;
    }
    result.Ok = true;
    result.Body = std::move(m_state->body);
    m_state->body = QByteArray();
    return result;
}

} // namespace retrieval
