#include "platform/linux/LocalInstanceGuard.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTextStream>
#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

const QByteArray ShowRequest = QByteArrayLiteral("show");
const QByteArray RegisterRequest = QByteArrayLiteral("register ");
const QByteArray Accepted = QByteArrayLiteral("ok\n");
constexpr int ConnectTimeoutMs = 5000;
constexpr int ReplyTimeoutMs = 5000;
// A request is one short line; a peer that sends more without a line break is not one of ours.
constexpr qint64 MaxRequestBytes = 64 * 1024;
// A start makes its lock file and writes its process id into it at once; one that names nobody
// this long after it was made was left by a start killed in between.
constexpr qint64 OwnerlessAfterMs = 500;

// Removes a lock file that names no owner, made long enough ago, whose file lock nobody holds
// (every holder keeps one). False for a file still being written, or one that is gone.
bool RemoveOwnerless(const QString& path, const QLockFile& lock)
{
    qint64 pid = 0;
    QString host;
    QString application;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool removed = false;
    struct stat opened {};
    struct stat named {};
    // Read again under the file lock: a start writes its id only once it holds that.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
        !lock.getLockInfo(&pid, &host, &application) && ::lstat(name.constData(), &named) == 0 &&
        named.st_ino == opened.st_ino) {
        const qint64 madeMs = qint64(opened.st_mtim.tv_sec) * 1000 + opened.st_mtim.tv_nsec / 1000000;
        removed = QDateTime::currentMSecsSinceEpoch() - madeMs >= OwnerlessAfterMs &&
                  ::unlink(name.constData()) == 0;
    }
    ::close(fd);
    return removed;
}

} // namespace

LocalInstanceGuard::LocalInstanceGuard(const QString& name, const QString& folder, QObject* parent)
    : QObject(parent)
{
    const QString place = folder.isEmpty() ? defaultFolder() : folder;
    if (place.isEmpty()) {
        m_refusedFolder = QDir::tempPath() + QStringLiteral("/mirubero-") + QString::number(getuid());
        return;
    }
    m_socketPath = place + QLatin1Char('/') + name;
    m_lock = std::make_unique<QLockFile>(m_socketPath + QStringLiteral(".lock"));
    // Only a lock whose owner process is gone counts as stale, however old it is.
    m_lock->setStaleLockTime(0);
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
    const QByteArray path = QFile::encodeName(fallback);
    // Made closed in one step; one that stood there already is looked at without following a link.
    if (mkdir(path.constData(), S_IRWXU) != 0 && errno != EEXIST)
        return {};
    struct stat info {};
    if (lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO)) != S_IRWXU)
        return {};
    return fallback;
}

bool LocalInstanceGuard::acquire()
{
    if (!m_lock) {
        QTextStream(stderr) << QStringLiteral("mirubero: %1 は自分だけのフォルダーではないため使いません。"
                                              "二重起動の確認と、後から起動したときのアドレスの受け渡しを"
                                              "せずに起動します。\n")
                                   .arg(m_refusedFolder);
        return true;
    }
    // A lock file that names no owner may be one a start is writing this moment; it is waited
    // for a little, then taken over.
    const QDeadlineTimer deadline(2 * OwnerlessAfterMs);
    for (;;) {
        if (m_lock->tryLock(0))
            return true;
        // A lock that cannot be made at all (no writable runtime folder) must not keep
        // the program from starting; only a lock held by a live instance does.
        if (m_lock->error() != QLockFile::LockFailedError)
            return true;
        // One that names its owner is a live instance's: Qt takes over that of one gone.
        qint64 pid = 0;
        QString host;
        QString application;
        if (m_lock->getLockInfo(&pid, &host, &application))
            return false;
        if (RemoveOwnerless(m_lock->fileName(), *m_lock))
            continue;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
}

bool LocalInstanceGuard::askRunningToShow()
{
    return send(ShowRequest, false);
}

bool LocalInstanceGuard::askRunningToRegister(const QString& address)
{
    // The address must stay one line.
    if (address.isEmpty() || address.contains(u'\n') || address.contains(u'\r'))
        return false;
    return send(RegisterRequest + address.toUtf8(), true);
}

bool LocalInstanceGuard::send(const QByteArray& request, bool awaitReply)
{
    if (m_socketPath.isEmpty())
        return false;
    // The running instance may still be starting up and not listen yet.
    const QDeadlineTimer deadline(ConnectTimeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(500)) {
            socket.write(request + '\n');
            bool sent = socket.waitForBytesWritten(1000);
            if (sent && awaitReply) {
                // An instance that does not know the request closes without the answer.
                while (!socket.canReadLine() && socket.waitForReadyRead(ReplyTimeoutMs)) {
                }
                sent = socket.readLine() == Accepted;
            }
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(100);
    }
    return false;
}

void LocalInstanceGuard::listen(std::function<void()> showHandler,
                                std::function<void(const QString& address)> registerHandler)
{
    m_showHandler = std::move(showHandler);
    m_registerHandler = std::move(registerHandler);
    if (m_socketPath.isEmpty())
        return;
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
            if (socket->canReadLine())
                answer(socket, socket->readLine(MaxRequestBytes).trimmed());
            else if (socket->bytesAvailable() > MaxRequestBytes)
                socket->abort();
        });
    }
}

void LocalInstanceGuard::answer(QLocalSocket* socket, const QByteArray& request)
{
    if (request == ShowRequest) {
        socket->disconnectFromServer();
        if (m_showHandler)
            m_showHandler();
        return;
    }
    const QString address = request.startsWith(RegisterRequest)
                                ? QString::fromUtf8(request.mid(RegisterRequest.size()))
                                : QString();
    if (address.isEmpty() || !m_registerHandler) {
        socket->disconnectFromServer();
        return;
    }
    socket->write(Accepted);
    socket->disconnectFromServer();
    // Registering may fetch a page; the sender has its answer and need not wait for that.
    QMetaObject::invokeMethod(
        this, [this, address] { m_registerHandler(address); }, Qt::QueuedConnection);
}

} // namespace platform
