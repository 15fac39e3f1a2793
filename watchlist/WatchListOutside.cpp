// Addresses that reach the window from outside it: the command line of a later start.

#include "watchlist/WatchListPresenter.h"

namespace watchlist {

bool WatchListPresenter::RegisterFromOutside(const QString& address)
{
    store::WatchListModel& model = m_parts.Model;
    if (!model.WindowReady)
        return false;
    // Showing a hidden window loads it and puts the general page in front.
    m_parts.View.showWindow();
    m_parts.View.bringToFront();
    const int count = static_cast<int>(model.Komokus.size());
    int komoku = model.ActivePage > 0 ? model.ActivePage - 1 : model.ShownKomoku;
    if (komoku < 0 || komoku >= count)
        komoku = 0;
    if (count == 0)
        return true;
    model.ActivePage = komoku + 1;
    model.SelKomoku = komoku;
    m_parts.View.setActivePage(komoku + 1);
    DropURLTarget1Drop(address);
    return true;
}

} // namespace watchlist
