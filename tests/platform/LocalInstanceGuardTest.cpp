// Two guards of one name in a scratch folder stand for a running instance and a later start.

#include "platform/linux/LocalInstanceGuard.h"

#include "StderrCapture.h"
#include "support/ScratchDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <future>

#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace Qt::StringLiterals;

class LocalInstanceGuardTest : public ::testing::Test {
protected:
    // A later start runs in a process of its own; here a thread stands in, so that the
    // running instance's event loop can answer its blocking calls.
    template <typename Call> bool fromLaterStart(Call call)
    {
        auto result = std::async(std::launch::async, [this, call] {
            platform::LocalInstanceGuard later(Name, scratch.path());
            return !later.acquire() && call(later);
        });
        while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return result.get();
    }
    // The running instance's event loop, until what a request caused has happened.
    static bool settle(const std::function<bool()>& done)
    {
        const QDeadlineTimer deadline(5000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    const QString Name = u"TMiruberoMainForm"_s;
    testsupport::ScratchDir scratch;
};

TEST_F(LocalInstanceGuardTest, ALaterStartAsksForTheWindowOrHandsOverAnAddress)
{
    platform::LocalInstanceGuard running(Name, scratch.path());
    ASSERT_TRUE(running.acquire());
    int shown = 0;
    QStringList registered;
    running.listen([&shown] { ++shown; }, [&registered](const QString& address) { registered << address; });

    const QString address = u"https://page.auctions.yahoo.co.jp/jp/auction/x1?a=%E3%81%82"_s;
    EXPECT_TRUE(
        fromLaterStart([&](platform::LocalInstanceGuard& g) { return g.askRunningToRegister(address); }));
    ASSERT_TRUE(settle([&] { return !registered.isEmpty(); }));
    EXPECT_EQ(registered, QStringList{address});
    EXPECT_EQ(shown, 0);

    EXPECT_TRUE(fromLaterStart([](platform::LocalInstanceGuard& g) { return g.askRunningToShow(); }));
    EXPECT_TRUE(settle([&] { return shown == 1; }));
    EXPECT_EQ(registered.size(), 1);

    // An address that would break the line is not sent.
    EXPECT_FALSE(fromLaterStart(
        [&](platform::LocalInstanceGuard& g) { return g.askRunningToRegister(address + u"\nshow"_s); }));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(registered.size(), 1);
}

TEST_F(LocalInstanceGuardTest, AnInstanceThatTakesNoAddressesDoesNotConfirmOne)
{
    platform::LocalInstanceGuard running(Name, scratch.path());
    ASSERT_TRUE(running.acquire());
    running.listen([] {}, {});
    EXPECT_FALSE(fromLaterStart(
        [](platform::LocalInstanceGuard& g) { return g.askRunningToRegister(u"https://example.com/"_s); }));
}

TEST_F(LocalInstanceGuardTest, ALockFileNamingNobodyIsTakenOverUnlessAStartHoldsIt)
{
    // A start killed between making its lock file and writing its id into it left it empty.
    const QByteArray lockPath = QFile::encodeName(scratch.file(Name + u".lock"_s));
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    // While a start holds the file, as it does before it writes, the lock is its own.
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    {
        platform::LocalInstanceGuard later(Name, scratch.path());
        EXPECT_FALSE(later.acquire());
    }
    ::close(fd);
    // Once nobody holds it, the next start runs, at once when the file is old and after a
    // short wait when it was made just now.
    for (const bool old : {true, false}) {
        if (old) {
            const struct timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 60, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, lockPath.constData(), times, 0), 0);
        } else {
            ASSERT_EQ(::close(::open(lockPath.constData(), O_RDWR | O_CREAT | O_EXCL, 0644)), 0);
        }
        platform::LocalInstanceGuard next(Name, scratch.path());
        EXPECT_TRUE(next.acquire()) << (old ? "old" : "new");
        platform::LocalInstanceGuard third(Name, scratch.path());
        EXPECT_FALSE(third.acquire()) << "the lock taken over is the next start's own";
    }
}

TEST_F(LocalInstanceGuardTest, WithoutARuntimeFolderOnlyTheUsersOwnClosedFolderIsUsed)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray temp = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(scratch.path()));
    const QString folder = scratch.path() + u"/mirubero-"_s + QString::number(getuid());
    const QByteArray path = QFile::encodeName(folder);
    const auto mode = [&path] {
        struct stat info {};
        return lstat(path.constData(), &info) == 0 ? info.st_mode & 07777 : 0u;
    };

    // Made closed when missing, and taken again as it is.
    EXPECT_EQ(platform::LocalInstanceGuard::defaultFolder(), folder);
    EXPECT_EQ(mode(), 0700u);
    EXPECT_EQ(platform::LocalInstanceGuard::defaultFolder(), folder);
    // One that others may enter, a link to a folder, a file, another user's folder: none is used.
    ASSERT_EQ(chmod(path.constData(), 0755), 0);
    EXPECT_EQ(platform::LocalInstanceGuard::defaultFolder(), QString());
    ASSERT_EQ(rmdir(path.constData()), 0);
    ASSERT_TRUE(QDir().mkdir(scratch.file(u"elsewhere"_s)));
    ASSERT_TRUE(QFile::link(scratch.file(u"elsewhere"_s), folder));
    EXPECT_EQ(platform::LocalInstanceGuard::defaultFolder(), QString());
    if (geteuid() == 0) {
        ASSERT_TRUE(QFile::remove(folder));
        ASSERT_EQ(mkdir(path.constData(), 0700), 0);
        ASSERT_EQ(chown(path.constData(), 65534, 65534), 0);
        EXPECT_EQ(platform::LocalInstanceGuard::defaultFolder(), QString());
    }

    // Without it the program starts all the same, says so, and has no channel to offer.
    {
        testsupport::StderrCapture captured;
        platform::LocalInstanceGuard guard(Name);
        EXPECT_TRUE(guard.acquire());
        guard.listen([] {}, [](const QString&) {});
        const QString said = captured.finish();
        EXPECT_TRUE(said.contains(folder)) << said.toStdString();
        platform::LocalInstanceGuard later(Name);
        EXPECT_FALSE(later.askRunningToShow());
    }
    EXPECT_TRUE(QDir(scratch.file(u"elsewhere"_s)).isEmpty()) << "nothing went through the link";

    qputenv("XDG_RUNTIME_DIR", runtime);
    qputenv("TMPDIR", temp);
}

} // namespace
