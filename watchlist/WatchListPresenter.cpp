// The watch-list window's event entry points: each goes on to the part that owns the
// behaviour.

#include "watchlist/WatchListPresenter.h"

namespace watchlist {

void WatchListPresenter::FormShow()
{
    m_storage.Load();
}

bool WatchListPresenter::Save()
{
    return m_storage.Save();
}

void WatchListPresenter::MenuSaveClick()
{
    m_storage.SaveAndTell();
}

bool WatchListPresenter::FormCloseQuery()
{
    return m_storage.Close();
}

void WatchListPresenter::MenuEndClick()
{
    // A refused save keeps the window open, and the program with it, so that nothing typed is lost.
    if (!FormCloseQuery())
        return;
    m_parts.Resident.EndProgram();
}

} // namespace watchlist
