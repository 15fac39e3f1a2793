#include "e2e/SiteNamespace.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace e2e {

namespace {

constexpr const char* CaStore = "/etc/ssl/certs/ca-certificates.crt";

QString Failed(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

QString BringUpLoopback()
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Failed("socket");
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    QString error;
    if (ioctl(fd, SIOCGIFFLAGS, &request) != 0)
        error = Failed("reading the flags of lo");
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
    if (error.isEmpty() && ioctl(fd, SIOCSIFFLAGS, &request) != 0)
        error = Failed("bringing lo up");
    close(fd);
    return error;
}

QString WriteProcFile(const char* name, const char* text)
{
    const QByteArray path = QByteArray("/proc/self/") + name;
    const int fd = open(path.constData(), O_WRONLY | O_CLOEXEC);
    const auto length = static_cast<ssize_t>(std::strlen(text));
    const bool written = fd >= 0 && write(fd, text, static_cast<size_t>(length)) == length;
    const QString error = written ? QString() : Failed(path.constData());
    if (fd >= 0)
        close(fd);
    return error;
}

QString BindFile(const QString& source, const char* target)
{
    if (mount(QFile::encodeName(source).constData(), target, nullptr, MS_BIND, nullptr) != 0)
        return Failed(target);
    return {};
}

SiteNamespace Unavailable(const QString& why)
{
    return {SiteNamespace::Outcome::Unavailable, why};
}

SiteNamespace Enter(const QStringList& hostNames, const QString& caFile, const QString& workDir)
{
    if (geteuid() != 0)
        return Unavailable(QStringLiteral("needs root for a network and mount namespace of its own"));
    if (!QFile::exists(QString::fromLatin1(CaStore)))
        return {SiteNamespace::Outcome::Failed,
                QStringLiteral("no system certificate store at %1 (package ca-certificates)")
                    .arg(QLatin1String(CaStore))};

    const QString hosts = workDir + QStringLiteral("/hosts");
    QFile file(hosts);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(
            QStringLiteral("127.0.0.1 localhost %1\n::1 localhost\n").arg(hostNames.join(u' ')).toLatin1()) <
            0)
        return {SiteNamespace::Outcome::Failed, QStringLiteral("cannot write %1").arg(hosts)};
    file.close();

    // A user namespace of its own (root mapped to root) makes the mount namespace a less
    // privileged one: every mount it inherits as shared becomes a slave, so nothing mounted
    // here reaches the machine's other namespaces.
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0) {
        // A chrooted process may not make a user namespace (nor may one in a container that
        // forbids it); without one, a bind mount where / is no mount point that could be made
        // private might reach the machine's other namespaces.
        if (errno == EPERM)
            return Unavailable(
                QStringLiteral("no user namespace may be made here (a chroot?), and without one "
                               "the test's mounts might reach the machine's other namespaces"));
        return {SiteNamespace::Outcome::Failed, Failed("unshare")};
    }
    QString error = WriteProcFile("uid_map", "0 0 1");
    if (error.isEmpty())
        error = WriteProcFile("setgroups", "deny");
    if (error.isEmpty())
        error = WriteProcFile("gid_map", "0 0 1");
    if (error.isEmpty() && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 && errno != EINVAL)
        error = Failed("making / private");
    if (error.isEmpty())
        error = BringUpLoopback();
    if (error.isEmpty())
        error = BindFile(hosts, "/etc/hosts");
    if (error.isEmpty())
        error = BindFile(caFile, CaStore);
    if (!error.isEmpty())
        return {SiteNamespace::Outcome::Failed, error};
    return {SiteNamespace::Outcome::Entered, {}};
}

} // namespace

SiteNamespace EnterSiteNamespace(const QStringList& hostNames, const QString& caFile, const QString& workDir)
{
    static const SiteNamespace result = Enter(hostNames, caFile, workDir);
    return result;
}

} // namespace e2e
