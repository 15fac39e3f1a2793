#pragma once

#include <QString>

#include <memory>
#include <thread>

namespace httplib {
class Server;
}

namespace testsupport {

// An HTTP server on 127.0.0.1 at a free port, serving from its own thread:
//   /status/<code>  that status with a short body
//   /moved          301 to redirectTarget
//   /endless        200 with a body that never ends
// Given a certificate and key file it speaks HTTPS instead. The raw listeners, free ports
// and certificates for it come from support/FakeAuctionSite.h and support/TestCertificates.h.
class LocalHttpServer final {
public:
    explicit LocalHttpServer(const QString& redirectTarget = {}, const QString& certFile = {},
                             const QString& keyFile = {});
    ~LocalHttpServer();

    bool isListening() const { return m_port > 0; }
    int port() const { return m_port; }
    QString url(const QString& path) const;

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = -1;
    bool m_tls = false;
};

} // namespace testsupport
