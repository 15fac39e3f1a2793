#include "platform/linux/LogindPowerNotices.h"
#include "support/PrivateBus.h"

#include "StderrCapture.h"
#include "support/ScratchDir.h"

#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using platform::LogindPowerNotices;
using platform::PowerNotices;

namespace {

const QString LogindService = QStringLiteral("org.freedesktop.login1");
constexpr int WaitMs = 5000;

class LogindPowerNoticesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        ASSERT_FALSE(daemon.isEmpty()) << "dbus-daemon is missing (Debian package dbus-daemon)";
        QFile config(m_dir.file(QStringLiteral("bus.conf")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(
            QString::fromUtf8(testsupport::PrivateBusConfig).arg(m_dir.file(QStringLiteral("bus"))).toUtf8());
        config.close();

        m_daemon.start(daemon, {QStringLiteral("--config-file=") + config.fileName(),
                                QStringLiteral("--print-address"), QStringLiteral("--nofork")});
        ASSERT_TRUE(m_daemon.waitForStarted(WaitMs));
        // The daemon prints its address once the socket accepts connections.
        QDeadlineTimer deadline(WaitMs);
        while (!m_daemon.canReadLine() && !deadline.hasExpired())
            m_daemon.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        ASSERT_FALSE(m_address.isEmpty()) << m_daemon.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        for (const QString& name : m_names)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        m_daemon.waitForFinished(WaitMs);
    }

    QDBusConnection join()
    {
        m_names << QStringLiteral("bus-client-%1").arg(m_names.size());
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, m_names.last());
        EXPECT_TRUE(bus.isConnected()) << bus.lastError().message().toStdString();
        return bus;
    }

    // A call answered by the daemon proves it has handled everything the
    // connection sent before, the match rules of a listen among them.
    static void roundTrip(const QDBusConnection& bus)
    {
        const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }

    static void emitPrepareForSleep(const QDBusConnection& from, bool start)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                                         QStringLiteral("PrepareForSleep"));
        signal << start;
        ASSERT_TRUE(from.send(signal));
        roundTrip(from);
    }

    QDBusConnection logind()
    {
        QDBusConnection bus = join();
        EXPECT_TRUE(bus.registerService(LogindService));
        return bus;
    }

    testsupport::ScratchDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};

TEST_F(LogindPowerNoticesTest, SuspendAndResumeOfLogindArriveAsPowerCodes)
{
    const QDBusConnection sender = logind();
    const QDBusConnection listener = join();
    LogindPowerNotices notices(listener);
    std::vector<int> codes;
    notices.listen([&](int code) { codes.push_back(code); });
    roundTrip(listener);

    emitPrepareForSleep(sender, true);
    emitPrepareForSleep(sender, false);

    EXPECT_TRUE(QTest::qWaitFor([&] { return codes.size() >= 2; }, WaitMs));
    EXPECT_EQ(codes, (std::vector<int>{PowerNotices::Suspend, PowerNotices::ResumeSuspend}));
}

TEST_F(LogindPowerNoticesTest, AnotherClientCannotAnnounceASuspend)
{
    const QDBusConnection sender = logind();
    const QDBusConnection impostor = join();
    const QDBusConnection listener = join();
    LogindPowerNotices notices(listener);
    std::vector<int> codes;
    notices.listen([&](int code) { codes.push_back(code); });
    roundTrip(listener);

    // The daemon routes the impostor's signal before it answers the impostor's
    // next call, so it would be delivered ahead of logind's resume.
    emitPrepareForSleep(impostor, true);
    emitPrepareForSleep(sender, false);

    EXPECT_TRUE(QTest::qWaitFor([&] { return !codes.empty(); }, WaitMs));
    EXPECT_EQ(codes, std::vector<int>{PowerNotices::ResumeSuspend});
}

TEST_F(LogindPowerNoticesTest, ListeningAgainReplacesTheHandlerWithoutDoublingNotices)
{
    const QDBusConnection sender = logind();
    const QDBusConnection listener = join();
    LogindPowerNotices notices(listener);
    std::vector<int> first;
    std::vector<int> second;
    notices.listen([&](int code) { first.push_back(code); });
    notices.listen([&](int code) { second.push_back(code); });
    roundTrip(listener);

    emitPrepareForSleep(sender, true);
    emitPrepareForSleep(sender, false);

    EXPECT_TRUE(QTest::qWaitFor([&] { return second.size() >= 2; }, WaitMs));
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(second, (std::vector<int>{PowerNotices::Suspend, PowerNotices::ResumeSuspend}));
}

// Containers and minimal sessions have no system bus; the program runs on, silently.
TEST(LogindPowerNoticesWithoutBus, ListenOnAMissingBusIsSilent)
{
    testsupport::ScratchDir dir;
    const QString nowhere = QStringLiteral("unix:path=") + dir.file(QStringLiteral("no-bus"));
    const QDBusConnection dead = QDBusConnection::connectToBus(nowhere, QStringLiteral("dead-bus"));
    ASSERT_FALSE(dead.isConnected());
    // The system bus of this process is the missing one too.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", nowhere.toUtf8());

    testsupport::StderrCapture capture;
    bool called = false;
    {
        LogindPowerNotices injected(dead);
        injected.listen([&](int) { called = true; });
        LogindPowerNotices system;
        system.listen([&](int) { called = true; });
        QCoreApplication::processEvents();
    }
    const QString printed = capture.finish();

    EXPECT_FALSE(called);
    EXPECT_TRUE(printed.isEmpty()) << printed.toStdString();
    QDBusConnection::disconnectFromBus(QStringLiteral("dead-bus"));
}

} // namespace
