#include "watchlist/RowOrder.h"

#include <vector>

namespace watchlist {

using namespace store;

RowOrder AscendingRowOrder(const RowKeys& keys, double tolerance)
{
    std::vector<int> keyed;
    std::vector<int> rest;
    for (int j = 0; j < SlotsPerKomoku; ++j)
        (keys[static_cast<size_t>(j)] ? keyed : rest).push_back(j);
    RowOrder order{};
    size_t next = 0;
    while (!keyed.empty()) {
        // The first of the smallest wins, so equal keys keep their order.
        auto smallest = keyed.begin();
        for (auto it = keyed.begin() + 1; it != keyed.end(); ++it) {
            if (*keys[static_cast<size_t>(*it)] < *keys[static_cast<size_t>(*smallest)] - tolerance)
                smallest = it;
        }
        order[next++] = *smallest;
        keyed.erase(smallest);
    }
    for (const int j : rest)
        order[next++] = j;
    return order;
}

} // namespace watchlist
