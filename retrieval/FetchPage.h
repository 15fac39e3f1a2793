#pragma once

#include "platform/linux/CurlOptions.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>

namespace retrieval {

// The User-Agent of the site's request profile; the picture download sends it too.
inline constexpr char ProfileUserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";

// The beginning by which an item-page address is recognised: the item pages live on
// page.auctions.yahoo.co.jp.
QString ItemPagePrefix();

enum class FetchError {
    None,
    Connection,       // refused, reset, closed mid-body
    NameNotFound,     // the host name does not resolve
    Tls,              // handshake failed or the certificate did not verify
    Timeout,          // connect or whole-transfer time-out
    HttpStatus,       // the final response is not a 2xx
    TooManyRedirects, // more than PageFetcher::MaxRedirects in a row
    TooLarge,         // body over PageFetcher::MaxBodyBytes
    RefusedScheme,    // the address, or a redirect, is not http or https
};

struct FetchResult {
    bool Ok = false;
    int HttpStatus = 0; // status of the final response; 0 when none arrived
    QByteArray Body;    // the raw entity; empty unless Ok
    FetchError Error = FetchError::None;
    QString ErrorText; // Japanese, short, for the hover hint
};

// The Japanese text shown for a failed fetch; httpStatus only matters for HttpStatus.
QString fetchErrorText(FetchError error, int httpStatus);

// The time-outs and test hooks every transfer shares, and one of the page fetch's own.
struct FetchOptions : platform::CurlOptions {
    // Set by the benchmark only, to measure what keeping the connection saves.
    bool NewConnectionPerFetch = false;
};

// The item-page client as the pass and the registration use it: one page at a time.
class PageClient {
public:
    using Done = std::function<void(FetchResult)>;
    virtual ~PageClient() = default;

    // GET with the site's request profile; `done` gets the body of the final response, or the
    // failure. It comes once, later, from the event loop. A fetch still running is cancelled.
    virtual void Fetch(const QString& url, Done done) = 0;
    // Cancels the fetch in flight at once; its `done` is not called.
    virtual void Cancel() = 0;
};

// The one client for item pages, alive for the whole run: one libcurl handle, so a pass
// reuses its connection, and cookies live in memory only. The transfer runs on the event loop.
class PageFetcher final : public PageClient {
public:
    static constexpr std::size_t MaxBodyBytes = 8 * 1024 * 1024;
    static constexpr long MaxRedirects = 15;

    explicit PageFetcher(const FetchOptions& options = {});
    ~PageFetcher() override;
    PageFetcher(const PageFetcher&) = delete;
    PageFetcher& operator=(const PageFetcher&) = delete;

    void Fetch(const QString& url, Done done) override;
    void Cancel() override;

private:
    struct State;
    static std::size_t receive(char* data, std::size_t size, std::size_t count, void* state);
    FetchResult Finish(int code);

    std::unique_ptr<State> m_state;
};

} // namespace retrieval
