#pragma once

#include "retrieval/FetchPage.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace testsupport {

// The auction site in a box: an HTTPS server on 127.0.0.1 at a free port, serving from its
// own threads, with a certificate for page.auctions.yahoo.co.jp (and auctions.yahoo.co.jp,
// auctions.c.yimg.jp) issued by a test CA made at first use. A PageFetcher built with
// fetcherOptions() trusts that CA and reaches the site's host names on loopback only.
//
//   FakeAuctionSite site;
//   site.setPage("/jp/auction/x1", bytes);
//   retrieval::PageFetcher fetcher(site.fetcherOptions());
//   FetchNow(fetcher, site.url("/jp/auction/x1"));   // https://page.auctions.yahoo.co.jp:PORT/…
//   site.requests();                                  // what went over the wire
//
// Built in, besides what the test sets:
//   /redirect/<n>/<path>  302 to /redirect/<n-1>/<path>, the last hop to /<path> (see redirectUrl)
//   /echo-cookie          200 with the Cookie header it received as the body
//   anything else         404 "not found"
// Paths are matched without the query string.
class FakeAuctionSite final {
public:
    enum class Certificate {
        Trusted,          // issued by the test CA for the site's host names
        UnknownAuthority, // the right names, issued by a CA nobody trusts
        OtherHostName,    // issued by the test CA, for other.example only
    };
    enum class Tls {
        UpTo13, // what a current server offers: 1.2 and 1.3
        Only13, // refuses anything below 1.3
    };

    struct Request {
        QByteArray method;
        QByteArray target;                            // path with query, as sent
        QByteArray version;                           // "HTTP/1.1"
        QList<QPair<QByteArray, QByteArray>> headers; // as received, names in their case
        int remotePort = -1;                          // tells the client's connections apart
        QByteArray tlsVersion;                        // "TLSv1.2", "TLSv1.3"
        // When the server read the request.
        std::chrono::steady_clock::time_point arrived;

        QByteArray header(const QByteArray& name) const; // first match, any case; empty if absent
        bool hasHeader(const QByteArray& name) const;
    };

    static QString host() { return QStringLiteral("page.auctions.yahoo.co.jp"); }

    // port 0 lets the kernel pick a free one; 443 is what a program that is not told
    // otherwise reaches (a test in a network namespace of its own can take it).
    explicit FakeAuctionSite(Certificate certificate = Certificate::Trusted, Tls tls = Tls::UpTo13,
                             int port = 0);
    ~FakeAuctionSite();
    FakeAuctionSite(const FakeAuctionSite&) = delete;
    FakeAuctionSite& operator=(const FakeAuctionSite&) = delete;

    bool isListening() const { return m_port > 0; }
    int port() const { return m_port; }
    // https://<host>:<port><path>, without the port when it is 443; host defaults to the
    // item-page host.
    QString url(const QString& path, const QString& onHost = host()) const;
    // The start of a chain of `hops` (>= 1) redirects that ends at `path` ("/..." ).
    QString redirectUrl(int hops, const QString& path) const;
    // Trust of the test CA and loopback resolve entries for this site's port.
    retrieval::FetchOptions fetcherOptions() const;

    // Content. Bytes are served as given, with a Content-Length.
    void setPage(const QString& path, const QByteArray& bytes,
                 const QByteArray& contentType = "text/html; charset=utf-8");
    // The type follows the bytes: JPEG (FF D8) or GIF ("GIF8"); anything else is octet-stream.
    void setPicture(const QString& path, const QByteArray& bytes);
    // Same bytes, sent in chunks of 64 KiB without a Content-Length.
    void setChunkedPage(const QString& path, const QByteArray& bytes);
    void setStatus(const QString& path, int status, const QByteArray& body = "error");
    // A 200 page whose response carries "Set-Cookie: <cookie>".
    void setCookiePage(const QString& path, const QByteArray& cookie);
    // A redirect to any location, also one off the site.
    void setRedirect(const QString& path, const QByteArray& location, int status = 302);

    // Misbehaviour.
    // Reads the request and stays silent until releaseStalls(), the site goes away or
    // `upTo` has passed; then answers 200 "late". The bound turns a client without a
    // time-out into a failed test instead of a hung one.
    void setStall(const QString& path, std::chrono::milliseconds upTo = std::chrono::seconds(10));
    // Declares the whole length but sends one byte per interval.
    void setTrickle(const QString& path, const QByteArray& bytes, std::chrono::milliseconds interval);
    // Declares the whole length, sends the first `sentBytes`, then closes the connection.
    void setBrokenPage(const QString& path, const QByteArray& bytes, int sentBytes);
    // Whatever the path serves is answered only after `delay`, as by a slow server.
    void setDelay(const QString& path, std::chrono::milliseconds delay);
    void releaseStalls();

    // Every request that reached the server, in arrival order.
    QList<Request> requests() const;
    QList<Request> requestsFor(const QString& path) const; // by path without query
    // Distinct client connections seen (by remote port).
    int connectionCount() const;
    // TLS handshakes clients began, also those that failed before any request.
    int handshakeCount() const { return m_handshakes; }
    void clearRequests();

private:
    struct Route;
    void record(const httplib::Request& request);
    void serve(const httplib::Request& request, httplib::Response& response);
    void addRoute(const QString& path, Route route);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = -1;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    bool m_stallsReleased = false;
    std::map<std::string, std::shared_ptr<Route>> m_routes;
    std::map<std::string, std::chrono::milliseconds> m_delays;
    QList<Request> m_requests;
    std::atomic<int> m_handshakes{0};
};

// A bare TCP listener on 127.0.0.1 at a free port, for servers that never answer with
// HTTP (nor a TLS handshake) or break it below what a real server can be made to do;
// also for proving that nothing connected. Plain HTTP: reach it at http://<site host>:port().
class RawListener final {
public:
    enum class Mode {
        Silent,         // accepts and keeps the connection open without a word
        CloseAtOnce,    // accepts and closes before any response
        Reset,          // reads the request, then resets the connection
        ResetMidBody,   // reads the request, sends the head and part of the body, then resets
        EndlessHeaders, // reads the request, then sends header lines until the client leaves
    };

    explicit RawListener(Mode mode);
    ~RawListener();
    RawListener(const RawListener&) = delete;
    RawListener& operator=(const RawListener&) = delete;

    int port() const { return m_port; }
    QString url() const; // http://127.0.0.1:<port>/
    int accepted() const { return m_accepted; }

private:
    void run();
    void sendEndlessHeaders(int client);

    Mode m_mode;
    int m_fd = -1;
    int m_port = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::vector<int> m_held;
    std::thread m_thread;
};

// libcurl resolve entries pinning the site's host names at `port` to 127.0.0.1.
QStringList loopbackResolve(int port);
// A port of 127.0.0.1 that nothing listens on.
int closedLoopbackPort();

// Runs a server that is already bound on a thread of its own, returning once it
// serves, so that a later stop() cannot be lost.
std::thread ServeOnThread(httplib::Server& server);

} // namespace testsupport
