#include "platform/linux/LocalInstanceGuard.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace platform {

namespace {

const QByteArray ShowRequest = QByteArrayLiteral("show\n");
constexpr int ConnectTimeoutMs = 5000;

} // namespace

LocalInstanceGuard::LocalInstanceGuard(const QString& name, const QString& folder, QObject* parent)
    : QObject(parent), m_socketPath((folder.isEmpty() ? defaultFolder() : folder) + QLatin1Char('/') + name),
      m_lock(m_socketPath + QStringLiteral(".lock"))
{
    // Only a lock whose owner process is gone counts as stale, however old it is.
    m_lock.setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, &LocalInstanceGuard::onNewConnection);
}

LocalInstanceGuard::~LocalInstanceGuard()
{
    m_server.close();
}

QString LocalInstanceGuard::defaultFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir::cleanPath(runtime);
    const QString fallback = QDir::tempPath() + QStringLiteral("/mirubero-") + QString::number(getuid());
    QDir().mkpath(fallback);
    QFile::setPermissions(fallback, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return fallback;
}

bool LocalInstanceGuard::acquire()
{
    if (m_lock.tryLock(0))
        return true;
    // A lock that cannot be made at all (no writable runtime folder) must not keep
    // the program from starting; only a lock held by a live instance does.
    return m_lock.error() != QLockFile::LockFailedError;
}

bool LocalInstanceGuard::askRunningToShow()
{
    // The running instance may still be starting up and not listen yet.
    const QDeadlineTimer deadline(ConnectTimeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(500)) {
            socket.write(ShowRequest);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(100);
    }
    return false;
}

void LocalInstanceGuard::listen(std::function<void()> showHandler)
{
    m_showHandler = std::move(showHandler);
    // A socket file left by a crashed instance would make listen() fail.
    QLocalServer::removeServer(m_socketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_socketPath);
}

void LocalInstanceGuard::onNewConnection()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray request = socket->readAll();
            if (request.startsWith(ShowRequest.trimmed()) && m_showHandler)
                m_showHandler();
            socket->disconnectFromServer();
        });
    }
}

} // namespace platform
