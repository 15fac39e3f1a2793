// Runs the real program on a private X display with a scratch home folder.

#include "e2e/DesktopBus.h"
#include "e2e/ProgramFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>

using e2e::StartTimeoutMs;
using e2e::WaitFor;
using testsupport::binDir;

namespace {

class ProgramTest : public e2e::ProgramFixture {};

TEST_F(ProgramTest, FirstStartCreatesTheDataFolderAndShowsTheWatchList)
{
    ASSERT_FALSE(QFileInfo::exists(home()));
    QProcess* program = start();
    const auto windows = waitForWindows(program);
    ASSERT_EQ(windows.size(), 1u) << program->readAllStandardError().toStdString();
    EXPECT_EQ(windows[0].title, QStringLiteral("ミルベロ"));
    EXPECT_TRUE(QFileInfo(dataDir()).isDir());
    // The window's creation saved at once: the stored files of one empty category.
    for (const char* name : {"Total.ini", "SpeakMsg.txt", "Settei0.ini"})
        EXPECT_TRUE(QFileInfo::exists(dataDir() + u'/' + QString::fromLatin1(name))) << name;
    EXPECT_FALSE(hasEnded(program));

    // Nothing on the console about sound devices on a machine without one.
    program->kill();
    program->waitForFinished(3000);
    EXPECT_FALSE(program->readAllStandardError().contains("ALSA"));
}

TEST_F(ProgramTest, SecondStartWithATrayShowsItsMessageAndEnds)
{
    ASSERT_TRUE(x11.startTray());
    QProcess* first = start();
    ASSERT_EQ(waitForWindows(first).size(), 1u);
    // Any viewable window of the program counts above, the tray icon's too, and it can show before the
    // first start's save is on disk: the list is taken once the save is there.
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(dataDir() + QStringLiteral("/Settei0.ini")); }, 5000));
    const QStringList filesBefore = scratch.listFiles();

    QProcess* second = start();
    const auto box = waitForDialogs(second);
    ASSERT_EQ(box.size(), 1u) << "the second start shows one message box";
    EXPECT_TRUE(waitForWindows(second, 300).empty()) << "and no window of its own";
    EXPECT_EQ(box[0].title, QStringLiteral("ミルベロ"));
    EXPECT_EQ(scratch.listFiles(), filesBefore);

    x11.requestClose(box[0].id);
    ASSERT_TRUE(waitForExit(second));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);

    EXPECT_FALSE(hasEnded(first));
    EXPECT_EQ(waitForWindows(first).size(), 1u);
    EXPECT_EQ(scratch.listFiles(), filesBefore);
}

TEST_F(ProgramTest, SecondStartWithoutATrayBringsBackTheRunningWindow)
{
    QProcess* first = start();
    const auto windows = waitForWindows(first);
    ASSERT_EQ(windows.size(), 1u);
    // Without a network the start-up check says so, in a box that holds the window until it is closed.
    const auto offline = waitForDialogs(first);
    ASSERT_EQ(offline.size(), 1u);
    x11.requestClose(offline[0].id);
    ASSERT_TRUE(WaitFor([&] { return waitForDialogs(first, 0).empty(); }, 5000));
    x11.requestClose(windows[0].id);
    ASSERT_TRUE(WaitFor([&] { return waitForWindows(first, 0).empty(); }, 5000));

    QProcess* second = start();
    ASSERT_TRUE(waitForExit(second));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(waitForWindows(first, 5000).size(), 1u) << "the running instance shows its window again";
    EXPECT_FALSE(hasEnded(first));
}

TEST_F(ProgramTest, StartWithoutNetworkSaysSoOnceAndKeepsThePlainTrayHint)
{
    // A tray host on a session bus of the test's own, where the hint can be read.
    e2e::DesktopBus desktop(scratch.path());
    ASSERT_TRUE(desktop.error().isEmpty()) << desktop.error().toStdString();
    extraEnvironment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), desktop.address());
    QProcess* program = start();
    ASSERT_EQ(waitForWindows(program).size(), 1u);
    const auto offline = waitForDialogs(program);
    ASSERT_EQ(offline.size(), 1u) << "the start-up check's message";
    EXPECT_EQ(offline[0].title, QStringLiteral("ミルベロ"));
    ASSERT_TRUE(WaitFor([&] { return !desktop.trayItems().isEmpty(); }, 5000)) << "no tray icon on the bus";
    x11.requestClose(offline[0].id);
    ASSERT_TRUE(WaitFor([&] { return waitForDialogs(program, 0).empty(); }, 5000));

    // No check follows a start-up check that found no network, so no second message comes, not
    // even after the 40 s of a periodic check, and the hint does not report the failure.
    EXPECT_FALSE(WaitFor([&] { return !waitForDialogs(program, 0).empty(); }, 42000));
    EXPECT_EQ(desktop.trayHint(), QStringLiteral("ミルベロ"));
    EXPECT_TRUE(desktop.balloons().empty());
    EXPECT_FALSE(hasEnded(program));
}

TEST_F(ProgramTest, TwoStartsAtOnceLeaveExactlyOneRunning)
{
    QProcess* a = start();
    QProcess* b = start();
    ASSERT_TRUE(WaitFor([&] { return hasEnded(a) || hasEnded(b); }, StartTimeoutMs));
    QProcess* survivor = hasEnded(a) ? b : a;
    QProcess* loser = survivor == a ? b : a;
    EXPECT_EQ(loser->exitCode(), 0);
    EXPECT_EQ(waitForWindows(survivor).size(), 1u);
    EXPECT_FALSE(WaitFor([&] { return hasEnded(survivor); }, 500));
}

TEST_F(ProgramTest, LockOfACrashedInstanceDoesNotBlockTheNextStart)
{
    QProcess* crashed = start();
    ASSERT_EQ(waitForWindows(crashed).size(), 1u);
    ::kill(static_cast<pid_t>(crashed->processId()), SIGKILL);
    ASSERT_TRUE(waitForExit(crashed));
    ASSERT_FALSE(QDir(runtimeDir()).entryList(QDir::Files | QDir::System).isEmpty())
        << "the crash left its lock";

    QProcess* next = start();
    EXPECT_EQ(waitForWindows(next).size(), 1u);
    EXPECT_FALSE(hasEnded(next));
}

TEST_F(ProgramTest, AddressesOnTheCommandLineAreRegisteredAndOthersRefused)
{
    const QString program = binDir() + QStringLiteral("/mirubero");
    const auto address = [](const char* id) {
        return QStringLiteral("https://page.auctions.yahoo.co.jp/jp/auction/") + QLatin1String(id);
    };
    const auto stored = [this] {
        QFile file(dataDir() + QStringLiteral("/Settei0.ini"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    };
    // The conventions of the command line, answered at once and without starting anything.
    QProcess* help = start(program, {QStringLiteral("--help")});
    ASSERT_TRUE(waitForExit(help));
    EXPECT_EQ(help->exitCode(), 0);
    EXPECT_TRUE(
        QString::fromUtf8(help->readAllStandardOutput()).startsWith(QStringLiteral("使い方: mirubero")));
    QProcess* version = start(program, {QStringLiteral("--version")});
    ASSERT_TRUE(waitForExit(version));
    EXPECT_EQ(version->exitCode(), 0);
    EXPECT_EQ(version->readAllStandardOutput(), QByteArray("mirubero " MIRUBERO_VERSION "\n"));
    QProcess* unknown = start(program, {QStringLiteral("--verbose")});
    ASSERT_TRUE(waitForExit(unknown));
    EXPECT_EQ(unknown->exitCode(), 2);

    // Not running yet: registered once the window is up. Without a network only the address is stored.
    QProcess* first = start(program, {address("e2e1")});
    ASSERT_EQ(waitForWindows(first).size(), 1u);
    EXPECT_TRUE(WaitFor([&] { return stored().contains(QStringLiteral("URL=") + address("e2e1")); }, 10000))
        << stored().toStdString();

    QProcess* refused = start(program, {QStringLiteral("ftp://example.com/x")});
    ASSERT_TRUE(waitForExit(refused));
    EXPECT_EQ(refused->exitCode(), 2);
    EXPECT_TRUE(refused->readAllStandardError().contains("ftp://example.com/x"));

    QProcess* second = start(program, {address("e2e2")});
    ASSERT_TRUE(waitForExit(second));
    EXPECT_EQ(second->exitCode(), 0) << second->readAllStandardError().toStdString();
    EXPECT_TRUE(WaitFor([&] { return stored().contains(QStringLiteral("URL=") + address("e2e2")); }, 10000))
        << stored().toStdString();
    EXPECT_FALSE(stored().contains(QStringLiteral("example.com")));
    EXPECT_FALSE(hasEnded(first));
}

TEST_F(ProgramTest, WithoutTheSpeechEngineTheProgramSaysSoAndEnds)
{
    // A copy of the program in a folder of its own, without the engine library beside it.
    const QString folder = scratch.file(QStringLiteral("bare"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString copy = folder + QStringLiteral("/mirubero");
    ASSERT_TRUE(QFile::copy(binDir() + QStringLiteral("/mirubero"), copy));

    QProcess* program = start(copy);
    const auto box = waitForDialogs(program);
    ASSERT_EQ(box.size(), 1u) << "the message box";
    EXPECT_TRUE(waitForWindows(program, 300).empty()) << "and no watch-list window";
    EXPECT_TRUE(QFileInfo(dataDir()).isDir());
    EXPECT_TRUE(QDir(dataDir()).entryList(QDir::Files).isEmpty());

    x11.requestClose(box[0].id);
    ASSERT_TRUE(waitForExit(program));
    EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
    EXPECT_NE(program->exitCode(), 0);
    EXPECT_TRUE(QDir(dataDir()).entryList(QDir::Files).isEmpty());
}

} // namespace
