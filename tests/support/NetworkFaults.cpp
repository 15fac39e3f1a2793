#include "NetworkFaults.h"

#include "retrieval/PriceCheckPass.h"

#include <QRandomGenerator>

namespace testsupport {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using retrieval::FetchError;
using retrieval::fetchErrorText;

QByteArray RandomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(seed);
    for (char& byte : bytes)
        byte = static_cast<char>(random.bounded(256));
    return bytes;
}

NetworkFaults::NetworkFaults(FakeAuctionSite& site) : m_site(site)
{
    site.setStall(u"/jp/auction/stall"_s, 5s);
    site.setStatus(u"/jp/auction/gone"_s, 404);
    site.setStatus(u"/jp/auction/broken"_s, 500);
    site.setStatus(u"/jp/auction/busy"_s, 503, "Service Unavailable");
    site.setRedirect(u"/jp/auction/loop"_s, "/jp/auction/loop");
    site.setChunkedPage(u"/jp/auction/huge"_s, QByteArray(50 * 1024 * 1024, 'h'));
    site.setPage(u"/jp/auction/noise"_s, RandomBytes(64 * 1024, 20240511));

    const auto onSite = [&site](const QString& path) {
        return [&site, path] { return static_cast<int>(site.requestsFor(path).size()); };
    };
    const auto plain = [](int port) {
        return u"http://%1:%2/jp/auction/a"_s.arg(FakeAuctionSite::host()).arg(port);
    };
    const QString lost = fetchErrorText(FetchError::Connection, 0);
    const QString tls = fetchErrorText(FetchError::Tls, 0);
    m_faults = {
        {"refused connection",
         u"https://%1:%2/jp/auction/a"_s.arg(FakeAuctionSite::host()).arg(m_closed),
         {},
         0,
         true,
         lost},
        {"reset mid-body", plain(m_resetting.port()), [this] { return m_resetting.accepted(); }, 1, true,
         lost},
        {"stall past the time-out", site.url(u"/jp/auction/stall"_s), onSite(u"/jp/auction/stall"_s), 1, true,
         fetchErrorText(FetchError::Timeout, 0)},
        {"404", site.url(u"/jp/auction/gone"_s), onSite(u"/jp/auction/gone"_s), 1, false,
         fetchErrorText(FetchError::HttpStatus, 404)},
        {"500", site.url(u"/jp/auction/broken"_s), onSite(u"/jp/auction/broken"_s), 1, false,
         fetchErrorText(FetchError::HttpStatus, 500)},
        {"503", site.url(u"/jp/auction/busy"_s), onSite(u"/jp/auction/busy"_s), 1, false,
         fetchErrorText(FetchError::HttpStatus, 503)},
        {"redirect loop", site.url(u"/jp/auction/loop"_s), onSite(u"/jp/auction/loop"_s),
         1 + retrieval::PageFetcher::MaxRedirects, false, fetchErrorText(FetchError::TooManyRedirects, 0)},
        {"certificate from an unknown CA", m_stranger.url(u"/jp/auction/a"_s),
         [this] { return m_stranger.handshakeCount(); }, 1, true, tls},
        {"certificate for another host", m_otherHost.url(u"/jp/auction/a"_s),
         [this] { return m_otherHost.handshakeCount(); }, 1, true, tls},
        {"50 MiB body", site.url(u"/jp/auction/huge"_s), onSite(u"/jp/auction/huge"_s), 1, false,
         fetchErrorText(FetchError::TooLarge, 0)},
        {"random bytes", site.url(u"/jp/auction/noise"_s), onSite(u"/jp/auction/noise"_s), 1, false,
         retrieval::PriceCheckPass::UnreadPageText()},
        // Plain HTTP, like the reset: a raw listener speaks no TLS.
        {"headers that never end", plain(m_endless.port()), [this] { return m_endless.accepted(); }, 1, true,
         lost},
    };
}

retrieval::FetchOptions NetworkFaults::fetcherOptions() const
{
    retrieval::FetchOptions options = m_site.fetcherOptions();
    for (const int port :
         {m_stranger.port(), m_otherHost.port(), m_resetting.port(), m_endless.port(), m_closed})
        options.Resolve += loopbackResolve(port);
    options.ConnectTimeout = 1s;
    options.TransferTimeout = 1500ms;
    return options;
}

} // namespace testsupport
