#pragma once

#include <QString>

namespace shell {

// What the monitor hands to the page retrieval.
class RetrievalCalls {
public:
    virtual ~RetrievalCalls() = default;

    // Fetches the due auctions' pages and updates their slots; ends through EndKakakuCheck.
    virtual void RunPriceCheckPass() = 0;
    // Registers the address typed or dropped into a cell of category komoku.
    virtual void RegisterFromCell(int komoku, int column, int row, const QString& url) = 0;
};

} // namespace shell
