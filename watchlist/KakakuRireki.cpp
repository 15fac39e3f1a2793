#include "watchlist/KakakuRireki.h"

#include "store/DayCount.h"
#include "store/PriceTrack.h"
#include "store/TextRules.h"

namespace watchlist {

using namespace store;

std::optional<KakakuRireki> KakakuRirekiOf(const WatchListModel& model, const QString& dataDir, int komoku,
                                           int row, const QDate& today)
{
    if (komoku < 0 || komoku >= static_cast<int>(model.Komokus.size()) || row < 1 || row > SlotsPerKomoku)
        return std::nullopt;
    const Slot& slot = model.SlotAt(komoku, row);
    const auto id = AuctionIdOf(slot.Cells[ColURL]);
    if (!slot.InUse() || !id)
        return std::nullopt;
    KakakuRireki rireki;
    rireki.Readings = ReadPriceHistory(PriceHistoryPath(dataDir, *id));
    if (rireki.Readings.empty())
        return std::nullopt;
    rireki.Caption = model.KomokuAt(komoku).TabCaption() + QStringLiteral("-No") + QString::number(row) +
                     QStringLiteral(" ") + slot.Cells[ColTitle].trimmed();
    rireki.Yosan = std::max(0, PriceValue(slot.Cells[ColYosan]).value_or(0));
    rireki.Nyusatugaku = std::max(0, PriceValue(slot.Cells[ColNyusatugaku]).value_or(0));
    // The end the grid shows: a check may have moved it since the last save.
    const auto& cells = slot.Cells;
    if (const auto end =
            EncodeEndTime(cells[ColMonth], cells[ColDay], cells[ColHour], cells[ColMinute], today))
        rireki.ShuryoTime = FromDayCount(*end);
    return rireki;
}

} // namespace watchlist
