// The watch-list window's event entry points: each goes on to the part that owns the
// behaviour.

#include "watchlist/WatchListPresenter.h"

namespace watchlist {

using namespace store;

void WatchListPresenter::FormCreate()
{
    m_pages.Create();
}

void WatchListPresenter::BtnAddKomokuClick()
{
    m_pages.Add();
}

void WatchListPresenter::BtnTabDelClick(int komoku)
{
    m_pages.Remove(komoku);
}

void WatchListPresenter::EditKomokuChange(int komoku, const QString& text)
{
    m_pages.Rename(komoku, text);
}

void WatchListPresenter::PageControl1Change(int page)
{
    m_pages.PageChanged(page);
}

void WatchListPresenter::TabSheetAuctionShow(int komoku)
{
    m_pages.AuctionPageShown(komoku);
}

void WatchListPresenter::TabSheetSetteiShow()
{
    m_pages.SetteiPageShown();
}

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

void WatchListPresenter::GridCellEdited(int komoku, int row, int column, const QString& text)
{
    m_registration.CellEdited(komoku, row, column, text);
}

void WatchListPresenter::RegisterFromCell(int komoku, int column, int row, const QString& text)
{
    m_registration.RegisterFromCell(komoku, column, row, text);
}

void WatchListPresenter::DropURLTarget1Drop(const QString& address)
{
    m_registration.Drop(address);
}

bool WatchListPresenter::RegisterFromOutside(const QString& address)
{
    return m_registration.RegisterFromOutside(address);
}

void WatchListPresenter::GridMouseDown(int komoku, int column, int row, bool rightButton)
{
    m_slots.MouseDown(komoku, column, row, rightButton);
}

void WatchListPresenter::PopupMenu2Popup()
{
    m_slots.MenuOpening();
}

void WatchListPresenter::MenuHonmeiClick()
{
    m_slots.MakeFavourite();
}

void WatchListPresenter::MenuRakusatuhinClick()
{
    m_slots.SwitchWon();
}

void WatchListPresenter::RowDellClick()
{
    m_slots.DeleteSelected();
}

void WatchListPresenter::MoveKomokuItemClick(int target)
{
    m_slots.MoveSelected(target);
}

void WatchListPresenter::S1Click()
{
    m_slots.SortByEndTime();
}

void WatchListPresenter::MenuCheapClick()
{
    m_slots.SortByPrice();
}

void WatchListPresenter::ApplyRowOrder(int komoku, const std::array<int, SlotsPerKomoku>& order)
{
    m_slots.ApplyRowOrder(komoku, order);
}

} // namespace watchlist
