// Two guards of one name in a scratch folder stand for a running instance and a later start.

#include "platform/linux/LocalInstanceGuard.h"

#include "support/ScratchDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <functional>
#include <future>

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

} // namespace
