#include "LocalServers.h"

#include "support/FakeAuctionSite.h"

#include <httplib.h>

namespace testsupport {

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
        m_thread = ServeOnThread(*m_server);
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

} // namespace testsupport
