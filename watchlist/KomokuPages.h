#pragma once

#include "watchlist/PresenterParts.h"
#include "watchlist/SlotStatuses.h"
#include "watchlist/WatchListStorage.h"

#include <QString>

namespace watchlist {

// The watch-list window's category pages: the ones the stored count asks for at start-up,
// adding and deleting a category, its name, and the page in front.
class KomokuPages final {
public:
    KomokuPages(PresenterParts parts, SlotStatuses& statuses, WatchListStorage& storage)
        : m_parts(parts), m_statuses(statuses), m_storage(storage)
    {
    }

    // Builds the categories the stored count asks for; on a first start saves at once.
    void Create();
    // "項目の追加": a new unnamed category after the others.
    void Add();
    // "タブの削除" of category komoku, after asking; the categories behind it move down a number.
    void Remove(int komoku);
    // Category komoku's name was edited.
    void Rename(int komoku, const QString& text);
    // The user picked a page (0 is the general page).
    void PageChanged(int page);
    // Category komoku's page, or the general page, has come in front.
    void AuctionPageShown(int komoku);
    void SetteiPageShown();

    static QString TabDelQuestion(const QString& caption);

private:
    void AddKomokuPage();

    PresenterParts m_parts;
    SlotStatuses& m_statuses;
    WatchListStorage& m_storage;
};

} // namespace watchlist
