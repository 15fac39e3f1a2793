#pragma once

#include "watchlist/PresenterParts.h"
#include "watchlist/WatchListStorage.h"

#include <QString>

namespace watchlist {

// Registering an auction: an item-page address typed, pasted or dropped into a category's grid,
// or handed over from outside the window, finds a free slot, is saved and has its page fetched.
class AuctionRegistration final {
public:
    AuctionRegistration(PresenterParts parts, WatchListStorage& storage) : m_parts(parts), m_storage(storage)
    {
    }

    // A cell edited in place (row 1 to 10, column 1 to 14); the edit is committed.
    void CellEdited(int komoku, int row, int column, const QString& text);
    // Text arrived whole in a cell (column, row 1 to 10) of category komoku: a paste, a drop, a
    // committed edit, or the tick handing over a registration that waited for a pass. An
    // item-page address finds its slot, is saved and has its page fetched.
    void RegisterFromCell(int komoku, int column, int row, const QString& text);
    // An address dropped on the grid of the current category.
    void Drop(const QString& address);
    // An address handed over from outside the window (the command line): the window comes up
    // and takes it as a drop on the category page shown last. False while the window is not ready.
    bool RegisterFromOutside(const QString& address);

    static QString DuplicateQuestion(const QString& komokuName, int row);
    static QString SaveFirstMessage();

private:
    // Asks about every other slot that holds url already; false at the first No.
    bool ConfirmDuplicates(int komoku, int row, const QString& url);

    PresenterParts m_parts;
    WatchListStorage& m_storage;
};

} // namespace watchlist
