#pragma once

#include "store/PriceHistory.h"
#include "store/WatchListModel.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace watchlist {

// What the price-history window ("価格の推移(&P)") draws for one slot: the recorded readings,
// with the budget, the own bid and the end time the slot's cells hold.
struct KakakuRireki {
    // The window's caption: the category, the row and the title.
    QString Caption;
    std::vector<store::PriceReading> Readings;
    // Yen; 0 when the cell is empty or does not read.
    int Yosan = 0;
    int Nyusatugaku = 0;
    // Invalid when the slot has no end time.
    QDateTime ShuryoTime;
};

// The history of the slot (category komoku, row 1 to 10) from the data folder, its end time as the
// grid's cells give it on `today`; none for a slot that is not in use or holds an auction without a
// recorded reading.
std::optional<KakakuRireki> KakakuRirekiOf(const store::WatchListModel& model, const QString& dataDir,
                                           int komoku, int row, const QDate& today);

} // namespace watchlist
