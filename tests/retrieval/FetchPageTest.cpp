#include "retrieval/FetchPage.h"
#include "support/FakeAuctionSite.h"
#include "support/Transfers.h"

#include <QElapsedTimer>
#include <QSet>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

using retrieval::FetchError;
using retrieval::FetchOptions;
using retrieval::PageFetcher;
using testsupport::FakeAuctionSite;
using testsupport::RawListener;
using namespace std::chrono_literals;

namespace {

const QString ItemPath = QStringLiteral("/jp/auction/x1");

// Not valid UTF-8 and with a NUL: the body must come back byte for byte.
QByteArray itemPage()
{
    return QByteArray("<html><title>\x8f\xa1 item \xff</title>\0<body>12,345\xb1\xdf</body></html>", 54);
}

QSet<QByteArray> lowerCaseNames(const FakeAuctionSite::Request& request)
{
    QSet<QByteArray> names;
    for (const auto& header : request.headers)
        names.insert(header.first.toLower());
    return names;
}

// Restores a proxy variable on leaving the test.
class ScopedEnv final {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_old = old;
            m_had = true;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

} // namespace

// What the site sees of one fetch.
TEST(FetchProfile, SendsExactlyTheProfileHeadersOverHttp11AndTls12)
{
    FakeAuctionSite site;
    ASSERT_TRUE(site.isListening());
    site.setPage(ItemPath, itemPage());
    PageFetcher fetcher(site.fetcherOptions());

    const auto result = testsupport::FetchNow(fetcher, site.url(ItemPath));

    ASSERT_TRUE(result.Ok) << result.ErrorText.toStdString();
    EXPECT_EQ(result.Error, FetchError::None);
    EXPECT_EQ(result.HttpStatus, 200);
    EXPECT_EQ(result.Body, itemPage());
    const auto requests = site.requests();
    ASSERT_EQ(requests.size(), 1);
    const auto& request = requests.front();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, ItemPath.toUtf8());
    EXPECT_EQ(request.version, "HTTP/1.1");
    EXPECT_EQ(request.tlsVersion, "TLSv1.2"); // the server would have taken 1.3
    EXPECT_EQ(lowerCaseNames(request), (QSet<QByteArray>{"host", "accept", "user-agent", "pragma"}));
    EXPECT_EQ(request.header("Accept"), "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    EXPECT_EQ(request.header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_EQ(request.header("Pragma"), "no-cache");
    EXPECT_EQ(request.header("Host"), "page.auctions.yahoo.co.jp:" + QByteArray::number(site.port()));
    EXPECT_FALSE(request.hasHeader("Accept-Encoding"));
}

TEST(FetchProfile, PicturesArriveUnchanged)
{
    FakeAuctionSite site;
    static const char jpegBytes[] = "\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\xFF\xD9";
    static const char gifBytes[] = "GIF89a\x01\0\x01\0\x80\0\0\0\0\0;";
    // The literals hold NUL bytes: their length comes from the arrays, less the final NUL.
    const QByteArray jpeg(jpegBytes, sizeof jpegBytes - 1);
    const QByteArray gif(gifBytes, sizeof gifBytes - 1);
    site.setPicture(QStringLiteral("/i/a.jpg"), jpeg);
    site.setPicture(QStringLiteral("/i/b.gif"), gif);
    PageFetcher fetcher(site.fetcherOptions());

    EXPECT_EQ(testsupport::FetchNow(
                  fetcher, site.url(QStringLiteral("/i/a.jpg"), QStringLiteral("auctions.c.yimg.jp")))
                  .Body,
              jpeg);
    EXPECT_EQ(testsupport::FetchNow(fetcher, site.url(QStringLiteral("/i/b.gif"))).Body, gif);
}

TEST(FetchProfile, ProxyVariablesOfTheSessionAreIgnored)
{
    FakeAuctionSite site;
    site.setPage(ItemPath, itemPage());
    RawListener proxy(RawListener::Mode::Silent);
    const QByteArray proxyUrl = "http://127.0.0.1:" + QByteArray::number(proxy.port());
    const ScopedEnv https("https_proxy", proxyUrl.constData());
    const ScopedEnv httpsUpper("HTTPS_PROXY", proxyUrl.constData());
    const ScopedEnv all("ALL_PROXY", proxyUrl.constData());
    const ScopedEnv noProxy("no_proxy", nullptr);
    const ScopedEnv noProxyUpper("NO_PROXY", nullptr);
    FetchOptions options = site.fetcherOptions();
    options.ConnectTimeout = 2s; // a proxy in use would show as a time-out, not a hang
    PageFetcher fetcher(options);

    EXPECT_TRUE(testsupport::FetchNow(fetcher, site.url(ItemPath)).Ok);
    EXPECT_EQ(proxy.accepted(), 0);
}

TEST(FetchCookies, CookieFromOneResponseIsSentBackOnTheNext)
{
    FakeAuctionSite site;
    site.setCookiePage(QStringLiteral("/login"), "B=abc123; Path=/");
    PageFetcher fetcher(site.fetcherOptions());

    ASSERT_TRUE(testsupport::FetchNow(fetcher, site.url(QStringLiteral("/login"))).Ok);
    const auto echoed = testsupport::FetchNow(fetcher, site.url(QStringLiteral("/echo-cookie")));

    ASSERT_TRUE(echoed.Ok);
    EXPECT_EQ(echoed.Body, "B=abc123");
    EXPECT_FALSE(site.requestsFor(QStringLiteral("/login")).front().hasHeader("Cookie"));
}

TEST(FetchCookies, CookiesStayWithTheirFetcher)
{
    FakeAuctionSite site;
    site.setCookiePage(QStringLiteral("/login"), "B=abc123; Path=/; Max-Age=3600");
    {
        PageFetcher first(site.fetcherOptions());
        ASSERT_TRUE(testsupport::FetchNow(first, site.url(QStringLiteral("/login"))).Ok);
    }
    PageFetcher second(site.fetcherOptions());

    const auto echoed = testsupport::FetchNow(second, site.url(QStringLiteral("/echo-cookie")));

    ASSERT_TRUE(echoed.Ok);
    EXPECT_TRUE(echoed.Body.isEmpty()) << echoed.Body.toStdString();
}

TEST(FetchRedirects, FifteenInARowAreFollowed)
{
    FakeAuctionSite site;
    site.setPage(ItemPath, itemPage());
    PageFetcher fetcher(site.fetcherOptions());

    const auto result = testsupport::FetchNow(fetcher, site.redirectUrl(15, ItemPath));

    ASSERT_TRUE(result.Ok) << result.ErrorText.toStdString();
    EXPECT_EQ(result.Body, itemPage()); // nothing of the redirect bodies
    EXPECT_EQ(site.requests().size(), 16);
}

TEST(FetchRedirects, TheSixteenthIsTooMany)
{
    FakeAuctionSite site;
    site.setPage(ItemPath, itemPage());
    PageFetcher fetcher(site.fetcherOptions());

    const auto result = testsupport::FetchNow(fetcher, site.redirectUrl(16, ItemPath));

    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Error, FetchError::TooManyRedirects);
    EXPECT_FALSE(result.ErrorText.isEmpty());
    EXPECT_TRUE(result.Body.isEmpty());
    EXPECT_TRUE(site.requestsFor(ItemPath).isEmpty());
}

TEST(FetchRedirects, OtherSchemesAreNotFollowed)
{
    FakeAuctionSite site;
    RawListener ftp(RawListener::Mode::Silent);
    site.setRedirect(QStringLiteral("/to-ftp"), "ftp://127.0.0.1:" + QByteArray::number(ftp.port()) + "/x");
    FetchOptions options = site.fetcherOptions();
    options.ConnectTimeout = 1s;
    PageFetcher fetcher(options);

    EXPECT_FALSE(testsupport::FetchNow(fetcher, site.url(QStringLiteral("/to-ftp"))).Ok);
    EXPECT_EQ(ftp.accepted(), 0);
}

// The item page set on `site` and fetched once with the site's own options.
retrieval::FetchResult fetchItemPage(FakeAuctionSite& site)
{
    site.setPage(ItemPath, itemPage());
    PageFetcher fetcher(site.fetcherOptions());
    return testsupport::FetchNow(fetcher, site.url(ItemPath));
}

TEST(FetchTls, AServerThatOnlySpeaksTls13IsRefused)
{
    FakeAuctionSite site(FakeAuctionSite::Certificate::Trusted, FakeAuctionSite::Tls::Only13);
    ASSERT_TRUE(site.isListening());

    const auto result = fetchItemPage(site);

    EXPECT_EQ(result.Error, FetchError::Tls);
    EXPECT_TRUE(site.requests().isEmpty());
}

TEST(FetchTls, ACertificateFromAnUnknownAuthorityIsRefused)
{
    FakeAuctionSite site(FakeAuctionSite::Certificate::UnknownAuthority);
    ASSERT_TRUE(site.isListening());

    const auto result = fetchItemPage(site);

    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Error, FetchError::Tls);
    EXPECT_TRUE(site.requests().isEmpty());
}

TEST(FetchTls, ACertificateForAnotherHostIsRefused)
{
    FakeAuctionSite site(FakeAuctionSite::Certificate::OtherHostName);
    ASSERT_TRUE(site.isListening());

    const auto result = fetchItemPage(site);

    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Error, FetchError::Tls);
    EXPECT_TRUE(site.requests().isEmpty());
}

TEST(FetchTls, TheTestAuthorityIsTrustedOnlyWhenGiven)
{
    FakeAuctionSite site;
    site.setPage(ItemPath, itemPage());
    FetchOptions options = site.fetcherOptions();
    options.ExtraCaFile.clear();
    PageFetcher fetcher(options);

    EXPECT_EQ(testsupport::FetchNow(fetcher, site.url(ItemPath)).Error, FetchError::Tls);
}

// The time-outs are short here; the program's own are 15 s and 60 s.
TEST(FetchTimeouts, AStalledServerEndsInATimeOut)
{
    FakeAuctionSite site;
    site.setStall(ItemPath);
    FetchOptions options = site.fetcherOptions();
    options.TransferTimeout = 600ms;
    PageFetcher fetcher(options);
    QElapsedTimer clock;
    clock.start();

    const auto result = testsupport::FetchNow(fetcher, site.url(ItemPath));

    const qint64 elapsed = clock.elapsed();
    RecordProperty("elapsed_ms", static_cast<int>(elapsed));
    EXPECT_EQ(result.Error, FetchError::Timeout);
    EXPECT_EQ(result.ErrorText, QStringLiteral("タイムアウトしました"));
    EXPECT_GE(elapsed, 550);
    EXPECT_LT(elapsed, 3000);
}

TEST(FetchTimeouts, ATricklingBodyIsCutByTheWholeTransferLimit)
{
    FakeAuctionSite site;
    site.setTrickle(ItemPath, QByteArray(200, 'x'), 50ms); // 10 s if let run
    FetchOptions options = site.fetcherOptions();
    options.TransferTimeout = 800ms;
    PageFetcher fetcher(options);
    QElapsedTimer clock;
    clock.start();

    const auto result = testsupport::FetchNow(fetcher, site.url(ItemPath));

    const qint64 elapsed = clock.elapsed();
    RecordProperty("elapsed_ms", static_cast<int>(elapsed));
    EXPECT_EQ(result.Error, FetchError::Timeout);
    EXPECT_LT(elapsed, 3000);
}

TEST(FetchTimeouts, AHandshakeThatNeverStartsIsCutByTheConnectLimit)
{
    RawListener silent(RawListener::Mode::Silent);
    FetchOptions options;
    options.Resolve = testsupport::loopbackResolve(silent.port());
    options.ConnectTimeout = 400ms;
    options.TransferTimeout = 20s;
    PageFetcher fetcher(options);
    QElapsedTimer clock;
    clock.start();

    const auto result = testsupport::FetchNow(
        fetcher, QStringLiteral("https://page.auctions.yahoo.co.jp:%1/jp/auction/x1").arg(silent.port()));

    const qint64 elapsed = clock.elapsed();
    RecordProperty("elapsed_ms", static_cast<int>(elapsed));
    EXPECT_EQ(result.Error, FetchError::Timeout);
    EXPECT_EQ(silent.accepted(), 1);
    EXPECT_LT(elapsed, 3000);
}

TEST(FetchFailures, ErrorStatusesAreReportedWithTheStatus)
{
    FakeAuctionSite site;
    site.setStatus(QStringLiteral("/gone"), 404, "no such auction");
    site.setStatus(QStringLiteral("/broken"), 500);
    PageFetcher fetcher(site.fetcherOptions());

    for (const auto& [path, status] :
         {std::pair{QStringLiteral("/gone"), 404}, {QStringLiteral("/broken"), 500}}) {
        const auto result = testsupport::FetchNow(fetcher, site.url(path));
        EXPECT_FALSE(result.Ok) << status;
        EXPECT_EQ(result.Error, FetchError::HttpStatus);
        EXPECT_EQ(result.HttpStatus, status);
        EXPECT_TRUE(result.ErrorText.contains(QString::number(status))) << result.ErrorText.toStdString();
        EXPECT_TRUE(result.Body.isEmpty());
    }
}

TEST(FetchFailures, ARefusedOrBrokenConnectionIsAConnectionError)
{
    FakeAuctionSite site;
    const QByteArray page(100'000, 'p');
    site.setBrokenPage(ItemPath, page, 40'000);
    PageFetcher fetcher(site.fetcherOptions());

    const auto broken = testsupport::FetchNow(fetcher, site.url(ItemPath));
    EXPECT_EQ(broken.Error, FetchError::Connection);
    EXPECT_TRUE(broken.Body.isEmpty());

    const int closed = testsupport::closedLoopbackPort();
    FetchOptions options;
    options.Resolve = testsupport::loopbackResolve(closed);
    PageFetcher refused(options);
    EXPECT_EQ(
        testsupport::FetchNow(refused, QStringLiteral("https://page.auctions.yahoo.co.jp:%1/").arg(closed))
            .Error,
        FetchError::Connection);
}

TEST(FetchFailures, BodiesOverEightMebibytesAreTooLarge)
{
    FakeAuctionSite site;
    const QByteArray limit(8 * 1024 * 1024, 'a');
    site.setPage(QStringLiteral("/declared"), limit + 'b');
    site.setChunkedPage(QStringLiteral("/chunked"), limit + 'b');
    site.setChunkedPage(QStringLiteral("/exact"), limit);
    PageFetcher fetcher(site.fetcherOptions());

    EXPECT_EQ(testsupport::FetchNow(fetcher, site.url(QStringLiteral("/declared"))).Error,
              FetchError::TooLarge);
    EXPECT_EQ(testsupport::FetchNow(fetcher, site.url(QStringLiteral("/chunked"))).Error,
              FetchError::TooLarge);
    // The limit itself still fits, and a failure leaves nothing behind for the next fetch.
    const auto exact = testsupport::FetchNow(fetcher, site.url(QStringLiteral("/exact")));
    EXPECT_TRUE(exact.Ok) << exact.ErrorText.toStdString();
    EXPECT_EQ(exact.Body.size(), limit.size());
}

TEST(FetchConnections, OneFetcherKeepsItsConnectionBetweenPagesUntilItIsIdle)
{
    FakeAuctionSite site;
    site.setPage(QStringLiteral("/jp/auction/a"), "a");
    site.setPage(QStringLiteral("/jp/auction/b"), "b");
    FetchOptions options = site.fetcherOptions();
    options.KeepIdle = 400ms;
    PageFetcher fetcher(options);

    ASSERT_TRUE(testsupport::FetchNow(fetcher, site.url(QStringLiteral("/jp/auction/a"))).Ok);
    ASSERT_TRUE(testsupport::FetchNow(fetcher, site.url(QStringLiteral("/jp/auction/b"))).Ok);
    EXPECT_EQ(site.requests().size(), 2);
    EXPECT_EQ(site.connectionCount(), 1);

    // Idle for longer, the fetcher has closed it and connects anew.
    QElapsedTimer idle;
    idle.start();
    testsupport::Spin([&] { return idle.elapsed() > 800; });
    const auto again = testsupport::FetchNow(fetcher, site.url(QStringLiteral("/jp/auction/a")));
    ASSERT_TRUE(again.Ok) << again.ErrorText.toStdString();
    EXPECT_EQ(site.connectionCount(), 2);
}

TEST(FetchConnections, TwoFetchersUseTwoConnections)
{
    // The counter's own check: separate clients must show as separate connections.
    FakeAuctionSite site;
    site.setPage(QStringLiteral("/jp/auction/a"), "a");
    PageFetcher first(site.fetcherOptions());
    PageFetcher second(site.fetcherOptions());

    ASSERT_TRUE(testsupport::FetchNow(first, site.url(QStringLiteral("/jp/auction/a"))).Ok);
    ASSERT_TRUE(testsupport::FetchNow(second, site.url(QStringLiteral("/jp/auction/a"))).Ok);

    EXPECT_EQ(site.connectionCount(), 2);
}
