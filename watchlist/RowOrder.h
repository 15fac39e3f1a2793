#pragma once

#include "store/WatchListModel.h"

#include <array>
#include <optional>

namespace watchlist {

// A new order of a category's rows: new row i + 1 takes what old row order[i] + 1 held.
using RowOrder = std::array<int, store::SlotsPerKomoku>;
// A sort key for each row; a row without one has none.
using RowKeys = std::array<std::optional<double>, store::SlotsPerKomoku>;

// The rows with a key by ascending key, keys within tolerance of each other counting as equal,
// equal keys in row order, then the rows without one in row order.
RowOrder AscendingRowOrder(const RowKeys& keys, double tolerance);

} // namespace watchlist
