#pragma once

#include "watchlist/PresenterParts.h"
#include "watchlist/RowOrder.h"
#include "watchlist/SlotStatuses.h"
#include "watchlist/WatchListStorage.h"

#include <QString>

#include <functional>

namespace store {
class IniFile;
} // namespace store

namespace watchlist {

// The commands on the auction slots: the slot menu a right click opens, the favourite, the won
// mark, deleting a slot, moving it to another category, and sorting the category showing. They
// act on the selected slot (SelKomoku, SelRow).
class SlotCommands final {
public:
    SlotCommands(PresenterParts parts, SlotStatuses& statuses, WatchListStorage& storage)
        : m_parts(parts), m_statuses(statuses), m_storage(storage)
    {
    }

    // A mouse button went down on cell (column, row) of category komoku's grid; the right
    // button selects that cell's slot and opens the slot menu over a registered one.
    void MouseDown(int komoku, int column, int row, bool rightButton);
    // The slot menu is about to open: the move items and the won check.
    void MenuOpening();
    // Makes the selected slot its category's favourite.
    void MakeFavourite();
    // Switches the selected slot's won mark.
    void SwitchWon();
    // Deletes the selected slot after asking.
    void DeleteSelected();
    // Moves the selected slot to the first free row of category target.
    void MoveSelected(int target);

    // The category showing sorted by end time, or by current price, cheapest first.
    void SortByEndTime();
    void SortByPrice();
    // New row i + 1 of category komoku takes what old row order[i] + 1 held, with every value
    // that belongs to the slot; order holds each of 0 to 9 once.
    void ApplyRowOrder(int komoku, const RowOrder& order);

    static QString RowDellQuestion(int row);
    static QString EndTimeCellsMessage();
    static QString NoEndTimeMessage();

private:
    // Whether SelKomoku and SelRow name a registered slot.
    bool SlotSelected() const;
    // Deletes row (1 to 10) of category komoku: the rows below move up, the last row is emptied.
    void DeleteSlot(int komoku, int row);
    // Moves every value that belongs to a slot, the favourite mark included, as ApplyRowOrder says.
    void MoveSlots(int komoku, const RowOrder& order);
    // The tray hint after a favourite changed: the favourites' labels, empty when there is none.
    QString FavouriteHint();
    // Writes to category komoku's file at once; what cannot be written is left to the next save.
    void WriteAtOnce(int komoku, const std::function<void(store::IniFile&)>& write);
    // The start of both sorts: the category in front, saved, with Rearranging set. -1 (and
    // Rearranging clear) when no category is in front or the save refused.
    int BeginSort();

    PresenterParts m_parts;
    SlotStatuses& m_statuses;
    WatchListStorage& m_storage;
};

} // namespace watchlist
