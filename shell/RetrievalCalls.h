#pragma once

#include <QString>

#include <optional>

namespace shell {

// One page to fetch: the address, and the category and row (1 to 10) it belongs to.
struct FetchEntry {
    QString URL;
    int Komoku = 0;
    int Row = 0;
};

// What the page retrieval is doing: nothing, a price-check pass, or the fetch of an auction
// being registered. A pass and a registration each begin with the connectivity probe.
enum class RunMode { Idle, Pass, Registration };

// Why a pass starts: the window asked for one or the periodic check came (both probe
// first), or a failed pass is tried again (no probe).
enum class PassStart { Requested, Periodic, Retry };

// What the monitor hands to the page retrieval: the price-check pass and its run state.
class PriceCheckRunner {
public:
    virtual ~PriceCheckRunner() = default;

    virtual RunMode Mode() const = 0;
    // Starts a pass over the due auctions; nothing while anything runs, a slot menu is open or
    // slots are being rearranged. It runs on the event loop and ends through EndKakakuCheck.
    virtual void RunPriceCheckPass(PassStart start) = 0;
    // Cancels whatever runs, the transfer in flight included: a pass ends through
    // EndKakakuCheck, a registration as one that could not fetch its page.
    virtual void Stop() = 0;
    // The first of the registrations that arrived while something ran, taken out of the queue.
    virtual std::optional<FetchEntry> TakePendingRegistration() = 0;
};

// ... and the registration of an address that arrived during a pass.
class CellRegistration {
public:
    virtual ~CellRegistration() = default;

    // Registers the address typed or dropped into a cell of category komoku.
    virtual void RegisterFromCell(int komoku, int column, int row, const QString& url) = 0;
};

} // namespace shell
