#include "platform/linux/CurlConnectivityProbe.h"

#include "LocalServers.h"
#include "support/FakeAuctionSite.h"
#include "support/ScratchDir.h"
#include "support/TestCertificates.h"
#include "support/Transfers.h"

#include <QElapsedTimer>

#include <httplib.h>

#include <gtest/gtest.h>

#include <stdlib.h>

using platform::CurlConnectivityProbe;
using testsupport::LocalHttpServer;
using testsupport::RawListener;

namespace {

// Generous for answers from 127.0.0.1 on a busy two-core machine.
constexpr int AnswerTimeoutMs = 5000;
constexpr int ShortTimeoutMs = 500;
constexpr qint64 MarginMs = 1500;

// Runs one probe and reports how long it took.
bool timedReach(CurlConnectivityProbe& probe, const QString& url, qint64& elapsedMs)
{
    QElapsedTimer timer;
    timer.start();
    const bool reached = testsupport::ReachNow(probe, url);
    elapsedMs = timer.elapsed();
    return reached;
}

TEST(CurlConnectivityProbe, AnyHttpStatusCountsAsReached)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    CurlConnectivityProbe probe(AnswerTimeoutMs);
    for (const int status : {200, 404, 500})
        EXPECT_TRUE(testsupport::ReachNow(probe, server.url(QStringLiteral("/status/%1").arg(status))))
            << status;
}

TEST(CurlConnectivityProbe, ARedirectIsAnAnswerAndIsNotFollowed)
{
    RawListener silent(RawListener::Mode::Silent);
    LocalHttpServer server(silent.url());
    CurlConnectivityProbe probe(AnswerTimeoutMs);

    EXPECT_TRUE(testsupport::ReachNow(probe, server.url(QStringLiteral("/moved"))));
    EXPECT_EQ(silent.accepted(), 0);
}

// A probe that read the body would wait for an end that never comes.
TEST(CurlConnectivityProbe, TheBodyIsNotRead)
{
    LocalHttpServer server;
    CurlConnectivityProbe probe(AnswerTimeoutMs);
    qint64 elapsed = 0;
    EXPECT_TRUE(timedReach(probe, server.url(QStringLiteral("/endless")), elapsed));
    EXPECT_LT(elapsed, AnswerTimeoutMs);
}

TEST(CurlConnectivityProbe, ConnectionsThatEndWithoutAnAnswerAreNotReached)
{
    CurlConnectivityProbe probe(AnswerTimeoutMs);
    qint64 elapsed = 0;
    EXPECT_FALSE(timedReach(
        probe, QStringLiteral("http://127.0.0.1:%1/").arg(testsupport::closedLoopbackPort()), elapsed));
    EXPECT_LT(elapsed, 1000) << "a refused connection must not wait for the time-out";

    RawListener closing(RawListener::Mode::CloseAtOnce);
    EXPECT_FALSE(testsupport::ReachNow(probe, closing.url()));
    EXPECT_EQ(closing.accepted(), 1);

    RawListener resetting(RawListener::Mode::Reset);
    EXPECT_FALSE(testsupport::ReachNow(probe, resetting.url()));
    EXPECT_EQ(resetting.accepted(), 1);
}

TEST(CurlConnectivityProbe, ASilentServerIsGivenUpAfterTheTimeOut)
{
    RawListener silent(RawListener::Mode::Silent);
    CurlConnectivityProbe probe(ShortTimeoutMs);
    qint64 elapsed = 0;
    EXPECT_FALSE(timedReach(probe, silent.url(), elapsed));
    EXPECT_GE(elapsed, ShortTimeoutMs - 50);
    EXPECT_LE(elapsed, ShortTimeoutMs + MarginMs);
}

TEST(CurlConnectivityProbe, ACertificateThatCannotBeVerifiedIsNotReached)
{
    testsupport::ScratchDir dir;
    const QString cert = dir.file(QStringLiteral("cert.pem"));
    const QString key = dir.file(QStringLiteral("key.pem"));
    ASSERT_TRUE(testsupport::writeSelfSignedCertificate("127.0.0.1", "IP:127.0.0.1", cert, key));
    LocalHttpServer server({}, cert, key);
    ASSERT_TRUE(server.isListening());

    // The server itself works for a client that skips verification.
    httplib::SSLClient client("127.0.0.1", server.port());
    client.enable_server_certificate_verification(false);
    const auto answer = client.Head("/status/200");
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->status, 200);

    CurlConnectivityProbe probe(AnswerTimeoutMs);
    EXPECT_FALSE(testsupport::ReachNow(probe, server.url(QStringLiteral("/status/200"))));
}

TEST(CurlConnectivityProbe, ProxyVariablesOfTheSessionAreIgnored)
{
    RawListener proxy(RawListener::Mode::Silent);
    LocalHttpServer server;
    const QByteArray proxyUrl = QStringLiteral("http://127.0.0.1:%1").arg(proxy.port()).toUtf8();
    for (const char* variable : {"http_proxy", "https_proxy", "ALL_PROXY"})
        setenv(variable, proxyUrl.constData(), 1);
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");

    CurlConnectivityProbe probe(ShortTimeoutMs * 4);
    const bool reached = testsupport::ReachNow(probe, server.url(QStringLiteral("/status/200")));
    for (const char* variable : {"http_proxy", "https_proxy", "ALL_PROXY"})
        unsetenv(variable);

    EXPECT_TRUE(reached);
    EXPECT_EQ(proxy.accepted(), 0);
}

TEST(CurlConnectivityProbe, OnlyHttpAndHttpsAreSpoken)
{
    RawListener silent(RawListener::Mode::Silent);
    CurlConnectivityProbe probe(ShortTimeoutMs);
    for (const QString& scheme : {QStringLiteral("ftp"), QStringLiteral("telnet"), QStringLiteral("gopher")})
        EXPECT_FALSE(
            testsupport::ReachNow(probe, QStringLiteral("%1://127.0.0.1:%2/").arg(scheme).arg(silent.port())))
            << scheme.toStdString();
    EXPECT_EQ(silent.accepted(), 0);
}

} // namespace
