// The watch-list window's event entry points: each goes on to the class that owns the
// behaviour. The handlers of the general page, the help menu, the price-check button and the
// grids' clicks, which need no more than a line or two, are here.

#include "watchlist/WatchListPresenter.h"

#include "shell/OpenWithShell.h"
#include "shell/TMiruberoMainForm.h"
#include "store/TextRules.h"
#include "watchlist/GridHint.h"
#include "watchlist/HelpCommands.h"
#include "watchlist/SpeechSettings.h"

namespace watchlist {

using namespace store;

WatchListPresenter::WatchListPresenter(Parts parts)
    : m_parts(parts), m_statuses(parts.Resident), m_storage(parts, m_statuses),
      m_pages(parts, m_statuses, m_storage), m_slots(parts, m_statuses, m_storage),
      m_registration(parts, m_storage)
{
}

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

void WatchListPresenter::MenuKakakuRirekiClick()
{
    const WatchListModel& model = m_parts.Model;
    const auto rireki = KakakuRirekiOf(model, m_parts.Resident.DataDir(), model.SelKomoku, model.SelRow,
                                       m_parts.Clock.now().date());
    if (rireki && m_commands.ShowKakakuRireki)
        m_commands.ShowKakakuRireki(*rireki);
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

CellColour WatchListPresenter::GridCellColour(int komoku, int column, int row, bool focusedCurrent) const
{
    const shell::SlotStatus* status =
        row >= 1 && row <= SlotsPerKomoku ? m_parts.Resident.Status(komoku, row - 1) : nullptr;
    return watchlist::GridCellColour(m_parts.Model, status, komoku, column, row, focusedCurrent,
                                     m_parts.Clock.now());
}

QString WatchListPresenter::HintText(int komoku, int column, int row) const
{
    return watchlist::HintText(m_parts.Model, komoku, column, row, m_parts.Clock.now());
}

CommandStates WatchListPresenter::States() const
{
    const WatchListModel& model = m_parts.Model;
    const retrieval::PriceCheckPass& run = m_parts.Run;
    const bool selected = model.SelRow >= 1 && model.SelRow <= SlotsPerKomoku;
    const shell::SlotStatus* status =
        selected ? m_parts.Resident.Status(model.SelKomoku, model.SelRow - 1) : nullptr;
    return DeriveCommandStates(model, {run.KakakuChecking(), run.Registering(), run.Current()},
                               status != nullptr && status->Won);
}

void WatchListPresenter::GridClick(int komoku, int row, int column)
{
    WatchListModel& model = m_parts.Model;
    if (!model.WindowReady || komoku < 0 || komoku >= static_cast<int>(model.Komokus.size()))
        return;
    // The selection commands follow it (CommandStates).
    model.SelKomoku = komoku;
    model.SelRow = row;
    model.SelCol = column;
    m_parts.View.render();
}

void WatchListPresenter::GridExit()
{
    m_parts.Model.SelRow = 0;
    m_parts.View.render();
}

void WatchListPresenter::BtnHyojiClick(int komoku, int slot)
{
    WatchListModel& model = m_parts.Model;
    if (!model.WindowReady || komoku < 0 || komoku >= static_cast<int>(model.Komokus.size()) || slot < 0 ||
        slot >= SlotsPerKomoku)
        return;
    model.SelKomoku = komoku;
    model.SelRow = slot + 1;
    const std::optional<QString> address = WebAddress(model.SlotAt(komoku, slot + 1).Cells[ColURL].trimmed());
    if (!address) {
        m_parts.Dialogs.showMessage(shell::TMiruberoMainForm::OpenAuctionFailedMessage());
        return;
    }
    shell::OpenWithShell(m_parts.ShellOpen, m_parts.Dialogs, *address,
                         shell::TMiruberoMainForm::OpenAuctionFailedMessage());
}

void WatchListPresenter::EditArarmTimeChange(const QString& text)
{
    m_parts.Model.General.EditArarmTime = text;
    CheckBoxAllArarmClick();
}

void WatchListPresenter::CheckBoxAllArarmClick()
{
    if (m_parts.Model.WindowReady)
        m_parts.Model.Saved = false;
}

void WatchListPresenter::CheckBoxArarmSpeakClick()
{
    watchlist::CheckBoxArarmSpeakClick(m_parts.Model);
}

void WatchListPresenter::MemoSpeakTextChange()
{
    watchlist::MemoSpeakTextChange(m_parts.Model);
}

void WatchListPresenter::BtnPlayClick()
{
    watchlist::BtnPlayClick(m_parts.Model, m_parts.Speech, m_parts.Dialogs);
}

void WatchListPresenter::H2Click()
{
    OpenReadMe(m_parts.Run.KakakuChecking(), m_parts.ShellOpen, m_parts.Dialogs, m_parts.Resident.ExeDir());
}

void WatchListPresenter::AboutOnseiClick()
{
    OpenNotationHelp(m_parts.ShellOpen, m_parts.Dialogs, m_parts.Resident.ExeDir());
}

void WatchListPresenter::V1Click()
{
    if (m_commands.About)
        m_commands.About();
}

void WatchListPresenter::BtnKakakuCheckClick()
{
    m_parts.Run.BtnKakakuCheckClick();
}

void WatchListPresenter::LabelURLClick(const QString& address)
{
    OpenAuthorSite(m_parts.ShellOpen, m_parts.Dialogs, address);
}

} // namespace watchlist
