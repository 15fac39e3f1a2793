#include "LocalServers.h"

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {

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

LocalHttpServer::LocalHttpServer(const QString& redirectTarget, const QString& certFile,
                                 const QString& keyFile)
    : m_tls(!certFile.isEmpty())
{
    if (m_tls)
        m_server = std::make_unique<httplib::SSLServer>(certFile.toLocal8Bit().constData(),
                                                        keyFile.toLocal8Bit().constData());
    else
        m_server = std::make_unique<httplib::Server>();
    if (!m_server->is_valid())
        return;

    m_server->Get(R"(/status/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
        response.status = std::stoi(request.matches[1]);
        response.set_content("body", "text/plain");
    });
    const std::string target = redirectTarget.toStdString();
    m_server->Get("/moved", [target](const httplib::Request&, httplib::Response& response) {
        response.set_redirect(target, 301);
    });
    m_server->Get("/endless", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
            static const std::string chunk(64 * 1024, 'x');
            return sink.write(chunk.data(), chunk.size());
        });
    });

    // Bound before the thread starts, so connections queue up even before it runs.
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port > 0)
        m_thread = std::thread([this] { m_server->listen_after_bind(); });
}

LocalHttpServer::~LocalHttpServer()
{
    if (m_thread.joinable()) {
        m_server->stop();
        m_thread.join();
    }
}

QString LocalHttpServer::url(const QString& path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3")
        .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(m_port)
        .arg(path);
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
        }
    }
}

int closedPort()
{
    int port = -1;
    const int fd = bindLoopback(port);
    if (fd >= 0)
        close(fd);
    return port;
}

bool writeSelfSignedCertificate(const QString& certFile, const QString& keyFile)
{
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    bool ok = key && cert;
    if (ok) {
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), -60);
        X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(cert, name);
        // Right name and address: the only flaw left is that nobody trusts the issuer.
        X509V3_CTX context;
        X509V3_set_ctx_nodb(&context);
        X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
        X509_EXTENSION* altName =
            X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, "IP:127.0.0.1");
        ok = altName && X509_add_ext(cert, altName, -1) == 1 && X509_sign(cert, key, EVP_sha256()) > 0;
        X509_EXTENSION_free(altName);
    }
    if (ok) {
        BIO* certOut = BIO_new_file(certFile.toLocal8Bit().constData(), "w");
        BIO* keyOut = BIO_new_file(keyFile.toLocal8Bit().constData(), "w");
        ok = certOut && keyOut && PEM_write_bio_X509(certOut, cert) == 1 &&
             PEM_write_bio_PrivateKey(keyOut, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
        BIO_free(certOut);
        BIO_free(keyOut);
    }
    X509_free(cert);
    EVP_PKEY_free(key);
    return ok;
}

} // namespace testsupport
