#include "FakeAuctionSite.h"
#include "TestCertificates.h"

#include <QSet>

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

namespace testsupport {

namespace {

constexpr const char* SiteNames =
    "DNS:page.auctions.yahoo.co.jp,DNS:auctions.yahoo.co.jp,DNS:auctions.c.yimg.jp";

// httplib files the peer's address among the headers; those never crossed the wire.
bool isPseudoHeader(const std::string& name)
{
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

// Binds a TCP socket to 127.0.0.1 at a port the kernel picks.
int bindLoopback(int& port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

struct FakeAuctionSite::Route {
    enum class Kind { Content, Chunked, Stall, Trickle, Broken };
    Kind kind = Kind::Content;
    int status = 200;
    std::string body;
    std::string contentType = "text/html; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers;
    std::chrono::milliseconds interval{0};
    std::size_t sentBytes = 0;
};

QByteArray FakeAuctionSite::Request::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

bool FakeAuctionSite::Request::hasHeader(const QByteArray& name) const
{
    for (const auto& entry : headers)
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

FakeAuctionSite::FakeAuctionSite(Certificate certificate, Tls tls, int port)
{
    // A client that hangs up mid-answer must not kill the test process.
    std::signal(SIGPIPE, SIG_IGN);

    const TestAuthority& issuer =
        certificate == Certificate::UnknownAuthority ? strangerAuthority() : trustedAuthority();
    X509* cert = nullptr;
    EVP_PKEY* key = nullptr;
    if (issueServerCertificate(issuer, "page.auctions.yahoo.co.jp",
                               certificate == Certificate::OtherHostName ? "DNS:other.example" : SiteNames,
                               &cert, &key)) {
        // The context takes its own references.
        auto server = std::make_unique<httplib::SSLServer>(cert, key);
        if (server->is_valid()) {
            SSL_CTX* context = server->ssl_context();
            SSL_CTX_set_min_proto_version(context, tls == Tls::Only13 ? TLS1_3_VERSION : TLS1_2_VERSION);
            SSL_CTX_set_max_proto_version(context, 0);
            // Counts attempts that never get as far as a request, such as a refused certificate.
            SSL_CTX_set_app_data(context, &m_handshakes);
            SSL_CTX_set_info_callback(context, [](const SSL* ssl, int where, int) {
                if (where & SSL_CB_HANDSHAKE_START)
                    ++*static_cast<std::atomic<int>*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
            });
            m_server = std::move(server);
        }
    }
    X509_free(cert);
    EVP_PKEY_free(key);
    if (!m_server)
        return;

    m_server->set_keep_alive_max_count(100);
    m_server->set_tcp_nodelay(true);
    m_server->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        record(request);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    m_server->Get(R"(.*)", [this](const httplib::Request& request, httplib::Response& response) {
        serve(request, response);
    });

    // Bound before the thread starts, so connections queue up even before it runs.
    if (port == 0)
        m_port = m_server->bind_to_any_port("127.0.0.1");
    else if (m_server->bind_to_port("127.0.0.1", port))
        m_port = port;
    if (m_port > 0)
        m_thread = ServeOnThread(*m_server);
}

FakeAuctionSite::~FakeAuctionSite()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_server->stop();
        m_thread.join();
    }
}

QString FakeAuctionSite::url(const QString& path, const QString& onHost) const
{
    if (m_port == 443)
        return QStringLiteral("https://%1%2").arg(onHost, path);
    return QStringLiteral("https://%1:%2%3").arg(onHost).arg(m_port).arg(path);
}

QString FakeAuctionSite::redirectUrl(int hops, const QString& path) const
{
    return url(QStringLiteral("/redirect/%1%2").arg(hops).arg(path));
}

retrieval::FetchOptions FakeAuctionSite::fetcherOptions() const
{
    retrieval::FetchOptions options;
    options.ExtraCaFile = trustedAuthorityFile();
    options.Resolve = loopbackResolve(m_port);
    return options;
}

void FakeAuctionSite::addRoute(const QString& path, Route route)
{
    const std::lock_guard lock(m_mutex);
    m_routes[path.toStdString()] = std::make_shared<Route>(std::move(route));
}

void FakeAuctionSite::setPage(const QString& path, const QByteArray& bytes, const QByteArray& contentType)
{
    Route route;
    route.body = bytes.toStdString();
    route.contentType = contentType.toStdString();
    addRoute(path, std::move(route));
}

void FakeAuctionSite::setPicture(const QString& path, const QByteArray& bytes)
{
    QByteArray type = "application/octet-stream";
    if (bytes.startsWith("\xFF\xD8"))
        type = "image/jpeg";
    else if (bytes.startsWith("GIF8"))
        type = "image/gif";
    setPage(path, bytes, type);
}

void FakeAuctionSite::setChunkedPage(const QString& path, const QByteArray& bytes)
{
    Route route;
    route.kind = Route::Kind::Chunked;
    route.body = bytes.toStdString();
    addRoute(path, std::move(route));
}

void FakeAuctionSite::setStatus(const QString& path, int status, const QByteArray& body)
{
    Route route;
    route.status = status;
    route.body = body.toStdString();
    route.contentType = "text/plain";
    addRoute(path, std::move(route));
}

void FakeAuctionSite::setCookiePage(const QString& path, const QByteArray& cookie)
{
    Route route;
    route.body = "cookie set";
    route.headers.emplace_back("Set-Cookie", cookie.toStdString());
    addRoute(path, std::move(route));
}

void FakeAuctionSite::setRedirect(const QString& path, const QByteArray& location, int status)
{
    Route route;
    route.status = status;
    route.body = "moved";
    route.contentType = "text/plain";
    route.headers.emplace_back("Location", location.toStdString());
    addRoute(path, std::move(route));
}

void FakeAuctionSite::setStall(const QString& path, std::chrono::milliseconds upTo)
{
    Route route;
    route.kind = Route::Kind::Stall;
    route.interval = upTo;
    route.body = "late";
    addRoute(path, std::move(route));
}

void FakeAuctionSite::setTrickle(const QString& path, const QByteArray& bytes,
                                 std::chrono::milliseconds interval)
{
    Route route;
    route.kind = Route::Kind::Trickle;
    route.body = bytes.toStdString();
    route.interval = interval;
    addRoute(path, std::move(route));
}

void FakeAuctionSite::setBrokenPage(const QString& path, const QByteArray& bytes, int sentBytes)
{
    Route route;
    route.kind = Route::Kind::Broken;
    route.body = bytes.toStdString();
    route.sentBytes = static_cast<std::size_t>(std::max(sentBytes, 0));
    addRoute(path, std::move(route));
}

void FakeAuctionSite::setDelay(const QString& path, std::chrono::milliseconds delay)
{
    const std::lock_guard lock(m_mutex);
    m_delays[path.toStdString()] = delay;
}

void FakeAuctionSite::releaseStalls()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stallsReleased = true;
    }
    m_wake.notify_all();
}

void FakeAuctionSite::record(const httplib::Request& request)
{
    Request entry;
    entry.arrived = std::chrono::steady_clock::now();
    entry.method = QByteArray::fromStdString(request.method);
    entry.target = QByteArray::fromStdString(request.target);
    entry.version = QByteArray::fromStdString(request.version);
    for (const auto& [name, value] : request.headers)
        if (!isPseudoHeader(name))
            entry.headers.append({QByteArray::fromStdString(name), QByteArray::fromStdString(value)});
    entry.remotePort = request.remote_port;
    if (request.ssl)
        entry.tlsVersion = SSL_get_version(request.ssl);
    const std::lock_guard lock(m_mutex);
    m_requests.append(entry);
}

void FakeAuctionSite::serve(const httplib::Request& request, httplib::Response& response)
{
    const std::string& path = request.path;
    {
        std::unique_lock lock(m_mutex);
        const auto found = m_delays.find(path);
        const std::chrono::milliseconds delay =
            found != m_delays.end() ? found->second : std::chrono::milliseconds(0);
        if (delay.count() > 0)
            m_wake.wait_for(lock, delay, [this] { return m_stopping; });
    }
    if (path.rfind("/redirect/", 0) == 0) {
        std::size_t end = 0;
        const int hops = std::stoi(path.substr(10), &end);
        const std::string rest = path.substr(10 + end);
        const std::string next = hops > 1 ? "/redirect/" + std::to_string(hops - 1) + rest : rest;
        // Absolute, with the port, the way the site writes its Location headers.
        response.set_redirect(url(QString::fromStdString(next)).toStdString(), 302);
        response.set_content("moved", "text/plain");
        return;
    }
    if (path == "/echo-cookie") {
        response.set_content(request.get_header_value("Cookie"), "text/plain");
        return;
    }

    std::shared_ptr<Route> route;
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_routes.find(path);
        if (found != m_routes.end())
            route = found->second;
    }
    if (!route) {
        response.status = 404;
        response.set_content("not found", "text/plain");
        return;
    }

    response.status = route->status;
    for (const auto& [name, value] : route->headers)
        response.set_header(name, value);
    switch (route->kind) {
    case Route::Kind::Content:
        response.set_content(route->body, route->contentType.c_str());
        break;
    case Route::Kind::Chunked:
        response.set_chunked_content_provider(
            route->contentType.c_str(), [route](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= route->body.size()) {
                    sink.done();
                    return true;
                }
                const std::size_t piece = std::min<std::size_t>(64 * 1024, route->body.size() - offset);
                return sink.write(route->body.data() + offset, piece);
            });
        break;
    case Route::Kind::Stall: {
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, route->interval, [this] { return m_stopping || m_stallsReleased; });
        response.set_content(route->body, route->contentType.c_str());
        break;
    }
    case Route::Kind::Trickle:
        response.set_content_provider(
            route->body.size(), route->contentType.c_str(),
            [this, route](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                std::unique_lock lock(m_mutex);
                if (m_wake.wait_for(lock, route->interval, [this] { return m_stopping; }))
                    return false;
                lock.unlock();
                return sink.write(route->body.data() + offset, 1);
            });
        break;
    case Route::Kind::Broken:
        response.set_content_provider(route->body.size(), route->contentType.c_str(),
                                      [route](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                          // Returning false makes the server drop the connection short of the
                                          // declared length.
                                          if (offset >= route->sentBytes)
                                              return false;
                                          return sink.write(route->body.data() + offset,
                                                            route->sentBytes - offset);
                                      });
        break;
    }
}

QList<FakeAuctionSite::Request> FakeAuctionSite::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

QList<FakeAuctionSite::Request> FakeAuctionSite::requestsFor(const QString& path) const
{
    const QByteArray wanted = path.toUtf8();
    QList<Request> matching;
    const std::lock_guard lock(m_mutex);
    for (const Request& request : m_requests)
        if (request.target == wanted || request.target.startsWith(wanted + '?'))
            matching.append(request);
    return matching;
}

int FakeAuctionSite::connectionCount() const
{
    QSet<int> ports;
    const std::lock_guard lock(m_mutex);
    for (const Request& request : m_requests)
        ports.insert(request.remotePort);
    return static_cast<int>(ports.size());
}

void FakeAuctionSite::clearRequests()
{
    const std::lock_guard lock(m_mutex);
    m_requests.clear();
}

RawListener::RawListener(Mode mode) : m_mode(mode)
{
    m_fd = bindLoopback(m_port);
    if (m_fd >= 0 && listen(m_fd, 16) == 0)
        m_thread = std::thread([this] { run(); });
}

RawListener::~RawListener()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    for (int fd : m_held)
        close(fd);
    if (m_fd >= 0)
        close(m_fd);
}

QString RawListener::url() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
}

void RawListener::run()
{
    pollfd waiting{m_fd, POLLIN, 0};
    while (!m_stop) {
        if (poll(&waiting, 1, 20) <= 0)
            continue;
        const int client = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        ++m_accepted;
        switch (m_mode) {
        case Mode::Silent:
            m_held.push_back(client);
            break;
        case Mode::CloseAtOnce:
            close(client);
            break;
        case Mode::Reset: {
            char request[1024];
            [[maybe_unused]] const ssize_t n = recv(client, request, sizeof request, 0);
            // No lingering: close sends RST instead of FIN.
            const linger abort{1, 0};
            setsockopt(client, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            close(client);
            break;
        }
        case Mode::ResetMidBody: {
            char request[1024];
            [[maybe_unused]] const ssize_t n = recv(client, request, sizeof request, 0);
            const std::string head =
                "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100000\r\n\r\n" +
                std::string(1000, 'x');
            [[maybe_unused]] const ssize_t sent = send(client, head.data(), head.size(), MSG_NOSIGNAL);
            const linger abort{1, 0};
            setsockopt(client, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            close(client);
            break;
        }
        case Mode::EndlessHeaders:
            sendEndlessHeaders(client);
            close(client);
            break;
        }
    }
}

void RawListener::sendEndlessHeaders(int client)
{
    char request[1024];
    if (recv(client, request, sizeof request, 0) <= 0)
        return;
    const std::string status = "HTTP/1.1 200 OK\r\n";
    if (send(client, status.data(), status.size(), MSG_NOSIGNAL) < 0)
        return;
    const std::string line = "X-Filler: " + std::string(70, 'a') + "\r\n";
    std::size_t offset = 0;
    // Until the client hangs up; a client that stops reading leaves it waiting for the stop.
    pollfd writable{client, POLLOUT, 0};
    while (!m_stop) {
        if (poll(&writable, 1, 20) <= 0)
            continue;
        if (writable.revents & (POLLERR | POLLHUP))
            return;
        const ssize_t sent =
            send(client, line.data() + offset, line.size() - offset, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return;
        if (sent > 0)
            offset = (offset + static_cast<std::size_t>(sent)) % line.size();
    }
}

QStringList loopbackResolve(int port)
{
    QStringList entries;
    for (const char* name : {"page.auctions.yahoo.co.jp", "auctions.yahoo.co.jp", "auctions.c.yimg.jp"})
        entries.append(QStringLiteral("%1:%2:127.0.0.1").arg(QLatin1String(name)).arg(port));
    return entries;
}

int closedLoopbackPort()
{
    int port = -1;
    const int fd = bindLoopback(port);
    if (fd >= 0)
        close(fd);
    return port;
}

std::thread ServeOnThread(httplib::Server& server)
{
    std::thread thread([&server] { server.listen_after_bind(); });
    // stop() is lost on a server that is not running yet, and joining the thread would
    // then wait for ever: return only once it runs.
    for (int waited = 0; !server.is_running() && waited < 5000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return thread;
}

} // namespace testsupport
