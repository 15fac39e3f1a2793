#include "watchlist/CellColours.h"

#include "store/DayCount.h"
#include "store/TextRules.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using store::Column;
using watchlist::CellColour;

// Category 0 of a model, looked at on 9 December 2026.
class CellColours : public ::testing::Test {
protected:
    CellColours() { status.resize(store::SlotsPerKomoku); }

    store::Slot& slot(int row) { return model.SlotAt(0, row); }
    // Row's end cells and end time: month, day, hour and minute of the given date-time.
    void endsAt(int row, const QDateTime& end)
    {
        auto& cells = slot(row).Cells;
        cells[store::ColMonth] = u"%1"_s.arg(end.date().month(), 2, 10, QChar(u'0'));
        cells[store::ColDay] = u"%1"_s.arg(end.date().day(), 2, 10, QChar(u'0'));
        cells[store::ColHour] = u"%1"_s.arg(end.time().hour(), 2, 10, QChar(u'0'));
        cells[store::ColMinute] = u"%1"_s.arg(end.time().minute(), 2, 10, QChar(u'0'));
        slot(row).ShuryoTime = store::ToDayCount(end);
    }
    CellColour at(int column, int row, const QDateTime& now, bool focused = false) const
    {
        const shell::SlotStatus* record = row >= 1 ? &status[static_cast<size_t>(row - 1)] : nullptr;
        return watchlist::GridCellColour(model, record, 0, column, row, focused, now);
    }
    // The end-date cells, then the end-time cells, of a row.
    std::pair<CellColour, CellColour> endCells(int row, const QDateTime& now) const
    {
        EXPECT_EQ(at(store::ColMonth, row, now), at(store::ColDay, row, now));
        EXPECT_EQ(at(store::ColHour, row, now), at(store::ColMinute, row, now));
        return {at(store::ColMonth, row, now), at(store::ColHour, row, now)};
    }
    static QDateTime on(int day, int hour, int minute, int second = 0)
    {
        return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second));
    }

    store::WatchListModel model;
    std::vector<shell::SlotStatus> status;
};

TEST_F(CellColours, TodaysEndIsRedAndItsTimeRedWithinTheLastHourOnly)
{
    endsAt(1, on(9, 14, 30));
    using P = std::pair<CellColour, CellColour>;
    EXPECT_EQ(endCells(1, on(9, 13, 45)), P(CellColour::Red, CellColour::Red));
    // 61 minutes, then 60 whole minutes and a half.
    EXPECT_EQ(endCells(1, on(9, 13, 29)), P(CellColour::Red, CellColour::Yellow));
    EXPECT_EQ(endCells(1, on(9, 13, 29, 30)), P(CellColour::Red, CellColour::Red));
    EXPECT_EQ(endCells(1, on(9, 14, 30)), P(CellColour::Red, CellColour::Red));
    // The end has passed.
    EXPECT_EQ(endCells(1, on(9, 14, 31)), P(CellColour::Red, CellColour::Yellow));

    // Unreadable end cells colour nothing red and raise nothing.
    slot(1).Cells[store::ColMinute] = u"3x"_s;
    slot(1).Cells[store::ColDay] = u"９"_s;
    EXPECT_EQ(at(store::ColHour, 1, on(9, 14, 0)), CellColour::Yellow);
    EXPECT_EQ(at(store::ColMonth, 1, on(9, 14, 0)), CellColour::Lime);
}

TEST_F(CellColours, TomorrowsEndIsLimeAndYellowUnlessItIsWithinTheHourPastMidnight)
{
    using P = std::pair<CellColour, CellColour>;
    endsAt(1, on(10, 12, 0));
    EXPECT_EQ(endCells(1, on(9, 13, 45)), P(CellColour::Lime, CellColour::Yellow));
    endsAt(2, on(10, 0, 10));
    EXPECT_EQ(endCells(2, on(9, 23, 20)), P(CellColour::Lime, CellColour::Red));
    EXPECT_EQ(endCells(2, on(9, 23, 9)), P(CellColour::Lime, CellColour::Yellow));
    // Cells typed without an end time saved behind them are never within the hour.
    slot(2).ShuryoTime = 0;
    EXPECT_EQ(endCells(2, on(9, 23, 20)), P(CellColour::Lime, CellColour::Yellow));
}

TEST_F(CellColours, SlotStatesHeaderAndFocusInTheirOrder)
{
    const QDateTime now = on(9, 13, 45);
    // An empty row that is not the favourite is white throughout, focused or not.
    for (int c = 0; c < store::ColumnCount; ++c) {
        EXPECT_EQ(at(c, 5, now), CellColour::White) << c;
        EXPECT_EQ(at(c, 5, now, true), CellColour::White) << c;
    }

    model.KomokuAt(0).HonmeiNo = 4;
    EXPECT_EQ(at(store::ColNo, 4, now), CellColour::Red);
    EXPECT_EQ(at(store::ColNo, 2, now), CellColour::White);
    model.KomokuAt(0).HonmeiNo = 2;
    EXPECT_EQ(at(store::ColNo, 2, now), CellColour::Red);
    EXPECT_EQ(at(store::ColNo, 4, now), CellColour::White);

    slot(3).Cells[store::ColTitle] = store::EndedMarker() + u"Lens"_s;
    EXPECT_EQ(at(store::ColTitle, 3, now), CellColour::Aqua);
    // Ended beats the focus, won beats ended.
    EXPECT_EQ(at(store::ColTitle, 3, now, true), CellColour::Aqua);
    status[2].Won = true;
    EXPECT_EQ(at(store::ColTitle, 3, now), CellColour::Fuchsia);
    slot(4).Cells[store::ColTitle] = u" "_s + store::EndedMarker();
    EXPECT_EQ(at(store::ColTitle, 4, now), CellColour::White);
    EXPECT_EQ(at(store::ColTitle, 4, now, true), CellColour::Highlight);

    slot(3).Cells[store::ColYosan] = u"1000"_s;
    EXPECT_EQ(at(store::ColYosan, 3, now, true), CellColour::Highlight);
    status[2].OverBudget = true;
    EXPECT_EQ(at(store::ColYosan, 3, now, true), CellColour::Green);
    slot(3).Cells[store::ColKakaku] = u"5,000円"_s;
    EXPECT_EQ(at(store::ColKakaku, 3, now), CellColour::White);
    slot(3).SokketuEnd = true;
    EXPECT_EQ(at(store::ColKakaku, 3, now), CellColour::Yellow);

    // The header row takes only the end-cell colours; the alarm's "時" "分" stay white.
    EXPECT_EQ(at(store::ColMonth, 0, now), CellColour::Lime);
    EXPECT_EQ(at(store::ColDay, 0, now), CellColour::Lime);
    EXPECT_EQ(at(store::ColHour, 0, now), CellColour::Yellow);
    EXPECT_EQ(at(store::ColMinute, 0, now), CellColour::Yellow);
    EXPECT_EQ(at(store::ColArarmHour, 0, now), CellColour::White);
    EXPECT_EQ(at(store::ColTitle, 0, now, true), CellColour::White);
}

} // namespace
