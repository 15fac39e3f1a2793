#include "e2e/SiteNamespace.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

QString BindFile(const QString& source, const char* target)
{
    if (mount(QFile::encodeName(source).constData(), target, nullptr, MS_BIND, nullptr) != 0)
        return Failed(target);
    return {};
}

QString JoinFiles(const QStringList& parts, const QString& target)
{
    QFile joined(target);
    if (!joined.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("%1: %2").arg(target, joined.errorString());
    for (const QString& path : parts) {
        QFile part(path);
        if (!part.open(QIODevice::ReadOnly) || joined.write(part.readAll() + '\n') < 0)
            return QStringLiteral("%1: %2").arg(path, part.errorString());
    }
    return joined.flush() ? QString() : QStringLiteral("%1: %2").arg(target, joined.errorString());
}

// Puts one entry of the real /etc into the copy at `to`: a symbolic link as the same link, anything
// else as a bind mount of the original over a folder or an empty file.
QString PutEtcEntry(const QByteArray& from, const QByteArray& to)
{
    struct stat info {};
    if (lstat(from.constData(), &info) != 0)
        return Failed(from.constData());
    if (S_ISLNK(info.st_mode)) {
        char link[PATH_MAX];
        const ssize_t length = readlink(from.constData(), link, sizeof link - 1);
        if (length < 0)
            return Failed(from.constData());
        link[length] = '\0';
        return symlink(link, to.constData()) == 0 ? QString() : Failed(to.constData());
    }
    const bool placed = S_ISDIR(info.st_mode) ? mkdir(to.constData(), 0755) == 0 : [&] {
        const int fd = open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        return fd >= 0 && close(fd) == 0;
    }();
    if (!placed || mount(from.constData(), to.constData(), nullptr, MS_BIND | MS_REC, nullptr) != 0)
        return Failed(to.constData());
    return {};
}

// Replaces /etc, in this mount namespace only, with a tmpfs that holds every entry of the real one
// in place and `hosts` as its own hosts file: the real /etc need not have one to mount over, and
// nothing is written to it. The tmpfs is filled on `stage`, then moved over /etc, so that no path
// below `stage` leads into the real /etc once this returns; on a failure it is detached whole.
QString ReplaceEtc(const QString& stage, const QByteArray& hosts)
{
    const QByteArray at = QFile::encodeName(stage);
    if (!QDir().mkpath(stage))
        return QStringLiteral("cannot make %1").arg(stage);
    if (mount("tmpfs", at.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0)
        return Failed("a tmpfs for /etc");
    QString error;
    const QStringList names =
        QDir(QStringLiteral("/etc"))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (name == QStringLiteral("hosts"))
            continue;
        error = PutEtcEntry("/etc/" + QFile::encodeName(name), at + '/' + QFile::encodeName(name));
        if (!error.isEmpty())
            break;
    }
    QFile file(stage + QStringLiteral("/hosts"));
    if (error.isEmpty() &&
        !(file.open(QIODevice::WriteOnly) && file.write(hosts) == hosts.size() && file.flush()))
        error = QStringLiteral("cannot write the hosts file");
    file.close();
    if (error.isEmpty() && mount(at.constData(), "/etc", nullptr, MS_MOVE, nullptr) != 0)
        error = Failed("moving the copy of /etc over /etc");
    if (!error.isEmpty())
        umount2(at.constData(), MNT_DETACH);
    return error;
}

// Maps root and nobody (65534) of the new namespace to themselves. Only a process with CAP_SETUID
// outside the namespace may map more than its own id, so a child left outside writes the maps
// once the parent has entered (a byte on `go`): tests also run the program as an ordinary user.
bool WriteIdMaps(pid_t target)
{
    static const char map[] = "0 0 1\n65534 65534 1\n";
    for (const char* name : {"uid_map", "gid_map"}) {
        char path[64];
        std::snprintf(path, sizeof path, "/proc/%d/%s", static_cast<int>(target), name);
        const int fd = open(path, O_WRONLY | O_CLOEXEC);
        const bool written =
            fd >= 0 && write(fd, map, sizeof map - 1) == static_cast<ssize_t>(sizeof map - 1);
        if (fd >= 0)
            close(fd);
        if (!written)
            return false;
    }
    return true;
}

pid_t StartIdMapper(int go[2])
{
    if (pipe2(go, O_CLOEXEC) != 0)
        return -1;
    const pid_t parent = getpid();
    const pid_t mapper = fork();
    if (mapper == 0) {
        close(go[1]);
        char byte = 0;
        _exit(read(go[0], &byte, 1) == 1 && WriteIdMaps(parent) ? 0 : 1);
    }
    close(go[0]);
    if (mapper < 0)
        close(go[1]);
    return mapper;
}

bool FinishIdMapper(pid_t mapper, int go, bool entered)
{
    if (entered && write(go, "x", 1) != 1)
        entered = false;
    close(go);
    int status = 0;
    return waitpid(mapper, &status, 0) == mapper && entered && WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

    // A user namespace of its own (root and nobody mapped to themselves) makes the mount namespace a less
    // privileged one: every mount it inherits as shared becomes a slave, so nothing mounted
    // here reaches the machine's other namespaces.
    int go[2];
    const pid_t mapper = StartIdMapper(go);
    if (mapper < 0)
        return {SiteNamespace::Outcome::Failed, Failed("starting the id mapper")};
    const bool entered = unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) == 0;
    const int unshareError = errno;
    if (!FinishIdMapper(mapper, go[1], entered) && entered)
        return {SiteNamespace::Outcome::Failed, QStringLiteral("writing the id maps of the namespace")};
    errno = unshareError;
    if (!entered) {
        // A chrooted process may not make a user namespace (nor may one in a container that
        // forbids it); without one, a bind mount where / is no mount point that could be made
        // private might reach the machine's other namespaces.
        if (errno == EPERM)
            return Unavailable(
                QStringLiteral("no user namespace may be made here (a chroot?), and without one "
                               "the test's mounts might reach the machine's other namespaces"));
        return {SiteNamespace::Outcome::Failed, Failed("unshare")};
    }
    QString error;
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 && errno != EINVAL)
        error = Failed("making / private");
    if (error.isEmpty())
        error = BringUpLoopback();
    if (error.isEmpty())
        error = ReplaceEtc(
            workDir + QStringLiteral("/etc"),
            QStringLiteral("127.0.0.1 localhost %1\n::1 localhost\n").arg(hostNames.join(u' ')).toLatin1());
    // The system's authorities stay trusted beside the test's, so that a program loads a store
    // of the size it loads on a user's machine.
    const QString store = workDir + QStringLiteral("/ca-certificates.crt");
    if (error.isEmpty())
        error = JoinFiles({QString::fromLatin1(CaStore), caFile}, store);
    if (error.isEmpty())
        error = BindFile(store, CaStore);
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
