#pragma once

#include <QString>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace testsupport {

// An HTTP server on 127.0.0.1 at a free port, serving from its own thread:
//   /status/<code>  that status with a short body
//   /moved          301 to redirectTarget
//   /endless        200 with a body that never ends
// Given a certificate and key file it speaks HTTPS instead.
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

// A bare TCP listener for the servers that never answer with HTTP.
class RawListener final {
public:
    enum class Mode {
        Silent,      // accepts and keeps the connection open without a word
        CloseAtOnce, // accepts and closes before any response
        Reset,       // reads the request, then resets the connection
    };

    explicit RawListener(Mode mode);
    ~RawListener();

    int port() const { return m_port; }
    QString url() const;
    int accepted() const { return m_accepted; }

private:
    void run();

    Mode m_mode;
    int m_fd = -1;
    int m_port = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::vector<int> m_held;
    std::thread m_thread;
};

// A port of 127.0.0.1 that nothing listens on.
int closedPort();

// Writes a fresh self-signed certificate for 127.0.0.1 and its key, as PEM files.
bool writeSelfSignedCertificate(const QString& certFile, const QString& keyFile);

} // namespace testsupport
