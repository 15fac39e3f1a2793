#pragma once

#include "support/FakeAuctionSite.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace testsupport {

// The ways an item page can fail to arrive, each as an address on a server that fails
// that way, for tests that run a whole pass or registration through every one of them.
//
//   NetworkFaults faults(site);
//   retrieval::PageFetcher fetcher(faults.fetcherOptions());
//   for (const auto& fault : faults.list()) { ... fetch fault.address + query ...; fault.seen(); }
class NetworkFaults final {
public:
    struct Fault {
        const char* name;
        QString address; // an item page; the query does not matter to the server
        // What reached the server: requests, connections or handshakes. Empty where nothing listens.
        std::function<int()> seen;
        int seenPerFetch;    // for one fetch that is tried once
        bool connectionLost; // no answer at all, rather than a bad one
        QString failure;     // the fetch error's text, or the unread-page text
    };

    // Adds the faulty pages to `site`; the other servers are its own.
    explicit NetworkFaults(FakeAuctionSite& site);
    // The site's options with every server reachable, and time-outs short enough for a test.
    retrieval::FetchOptions fetcherOptions() const;
    const std::vector<Fault>& list() const { return m_faults; }

private:
    FakeAuctionSite& m_site;
    FakeAuctionSite m_stranger{FakeAuctionSite::Certificate::UnknownAuthority};
    FakeAuctionSite m_otherHost{FakeAuctionSite::Certificate::OtherHostName};
    RawListener m_resetting{RawListener::Mode::ResetMidBody};
    RawListener m_endless{RawListener::Mode::EndlessHeaders};
    int m_closed = closedLoopbackPort();
    std::vector<Fault> m_faults;
};

// Bytes from a seeded generator: the same each run.
QByteArray RandomBytes(qsizetype size, quint32 seed);

} // namespace testsupport
