#include "watchlist/CellColours.h"

#include "store/DayCount.h"
#include "store/TextRules.h"

namespace watchlist {

using namespace store;

namespace {

// A month or day cell as a number; what is no integer counts as 0.
int IntegerOrZero(const QString& text)
{
    return CellInteger(text).value_or(0);
}

// The end built from the date of the slot's end time and the hour and minute cells lies
// ahead of now by at most 60 whole minutes.
bool EndsWithinTheHour(const Slot& slot, const QDateTime& now)
{
    const QDateTime shuryo = FromDayCount(slot.ShuryoTime);
    if (!shuryo.isValid() || shuryo.date().year() < now.date().year())
        return false;
    const QString& hourCell = slot.Cells[ColHour];
    const QString& minuteCell = slot.Cells[ColMinute];
    if (hourCell.isEmpty() || minuteCell.isEmpty())
        return false;
    const std::optional<int> hour = CellInteger(hourCell);
    const std::optional<int> minute = CellInteger(minuteCell);
    if (!hour || !minute || !QTime::isValid(*hour, *minute, 0))
        return false;
    const QDateTime end(shuryo.date(), QTime(*hour, *minute));
    if (!end.isValid() || end < now)
        return false;
    return now.msecsTo(end) / 60000 <= 60;
}

} // namespace

QRgb CellColourRgb(CellColour colour)
{
    switch (colour) {
    case CellColour::Lime:
        return qRgb(0, 255, 0);
    case CellColour::Red:
        return qRgb(255, 0, 0);
    case CellColour::Yellow:
        return qRgb(255, 255, 0);
    case CellColour::Aqua:
        return qRgb(0, 255, 255);
    case CellColour::Fuchsia:
        return qRgb(255, 0, 255);
    case CellColour::Green:
        return qRgb(0, 128, 0);
    case CellColour::White:
    case CellColour::Highlight:
        break;
    }
    return qRgb(255, 255, 255);
}

CellColour GridCellColour(const WatchListModel& model, const shell::SlotStatus* status, int komoku,
                          int column, int row, bool focusedCurrent, const QDateTime& now)
{
    if (komoku < 0 || komoku >= static_cast<int>(model.Komokus.size()) || column < 0 ||
        column >= ColumnCount || row < 0 || row > SlotsPerKomoku)
        return CellColour::White;
    const bool slotRow = row >= 1;
    const Komoku& category = model.KomokuAt(komoku);
    const auto& cells = slotRow ? category.Slots[static_cast<size_t>(row - 1)].Cells : HeaderTexts();
    const QString& value = cells[static_cast<size_t>(column)];

    CellColour colour = CellColour::White;
    if (column == ColMonth || column == ColDay) {
        if (!value.isEmpty())
            colour = CellColour::Lime;
        const QDate today = now.date();
        if (today.isValid() && IntegerOrZero(cells[ColMonth]) == today.month() &&
            IntegerOrZero(cells[ColDay]) == today.day())
            colour = CellColour::Red;
    }
    if (column == ColHour || column == ColMinute) {
        if (!value.isEmpty())
            colour = CellColour::Yellow;
    }
    // The header row takes the two rules above and no other.
    if (!slotRow)
        return colour;

    const Slot& slot = category.Slots[static_cast<size_t>(row - 1)];
    if ((column == ColHour || column == ColMinute) && EndsWithinTheHour(slot, now))
        colour = CellColour::Red;
    if (column != ColNo && focusedCurrent && !value.isEmpty())
        colour = CellColour::Highlight;
    if (column == ColKakaku && slot.SokketuEnd)
        colour = CellColour::Yellow;
    if (column == ColNo && category.HonmeiNo > 0 && row == category.HonmeiNo)
        colour = CellColour::Red;
    if (column == ColTitle) {
        if (IsEnded(value))
            colour = CellColour::Aqua;
        if (status != nullptr && status->Won)
            colour = CellColour::Fuchsia;
    }
    if (column == ColYosan && status != nullptr && status->OverBudget)
        colour = CellColour::Green;
    return colour;
}

CellAlign GridCellAlign(int column, int row)
{
    if (row == 0 || column == ColNo)
        return CellAlign::Centre;
    if (column == ColTitle || column == ColURL || column == ColOption)
        return CellAlign::Left;
    return CellAlign::Right;
}

} // namespace watchlist
