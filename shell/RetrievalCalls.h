#pragma once

#include <QString>

namespace shell {

// What the monitor hands to the page retrieval: the price-check pass ...
class PriceCheckRunner {
public:
    virtual ~PriceCheckRunner() = default;

    // Fetches the due auctions' pages and updates their slots; ends through EndKakakuCheck.
    virtual void RunPriceCheckPass() = 0;
};

// ... and the registration of an address that arrived during a pass.
class CellRegistration {
public:
    virtual ~CellRegistration() = default;

    // Registers the address typed or dropped into a cell of category komoku.
    virtual void RegisterFromCell(int komoku, int column, int row, const QString& url) = 0;
};

} // namespace shell
