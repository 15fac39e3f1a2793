// The watch-list window's categories: creation, adding and deleting a category, the
// page change and the cells edited in place.

#include "watchlist/WatchListPresenter.h"

#include "store/IniFile.h"
#include "store/StoredFiles.h"

#include <utility>

namespace watchlist {

using namespace store;

QString WatchListPresenter::TabDelQuestion(const QString& caption)
{
    return caption + QStringLiteral("を削除しますか？");
}

void WatchListPresenter::FormCreate()
{
    WatchListModel& model = m_parts.Model;
    model.Saved = true;
    model.SpeakTextChecked = true;
    model.KomokuCount = 1;
    model.Komokus.assign(1, Komoku());

    const IniFile total(m_parts.File(TotalIniName()));
    if (total.Existed()) {
        const int stored = Read(total, total::KomokuCount);
        for (int k = 1; k < stored; ++k)
            BtnAddKomokuClick();
    } else {
        Save();
    }
    m_parts.View.render();
}

void WatchListPresenter::BtnAddKomokuClick()
{
    WatchListModel& model = m_parts.Model;
    ResidentSide& resident = m_parts.Resident;
    if (m_parts.Run.KakakuChecking() || model.KomokuCount >= MaxKomokuCount)
        return;
    resident.StopMonitor();
    if (!model.Saved && !Save()) {
        if (!resident.StartingUp())
            resident.StartMonitor();
        return;
    }
    AddKomokuPage();
    if (!resident.StartingUp()) {
        Save();
        resident.StartMonitor();
    }
    m_parts.View.render();
}

void WatchListPresenter::AddKomokuPage()
{
    WatchListModel& model = m_parts.Model;
    ++model.KomokuCount;
    Komoku added;
    added.AddedUnnamed = true;
    model.Komokus.push_back(std::move(added));
    const int k = model.KomokuCount - 1;
    model.ActivePage = k + 1;
    model.SelKomoku = k;
    m_parts.View.render();
    m_parts.View.setActivePage(k + 1);
}

void WatchListPresenter::BtnTabDelClick(int komoku)
{
    WatchListModel& model = m_parts.Model;
    ResidentSide& resident = m_parts.Resident;
    if (!model.WindowReady || model.KomokuCount <= 1 || komoku < 0 || komoku >= model.KomokuCount)
        return;
    resident.StopMonitor();
    const auto restart = [&resident] {
        if (!resident.StartingUp())
            resident.StartMonitor();
    };
    if (!resident.StartingUp() &&
        !m_parts.Dialogs.askYesNo(TabDelQuestion(model.KomokuAt(komoku).TabCaption()), {},
                                  platform::MessageIcon::Question, false)) {
        restart();
        return;
    }
    if (!model.Saved && !Save()) {
        restart();
        return;
    }
    model.Saved = false;

    const int last = model.KomokuCount - 1;
    for (int j = komoku + 1; j <= last; ++j) {
        Komoku& to = model.KomokuAt(j - 1);
        to = std::move(model.KomokuAt(j));
        to.AddedUnnamed = false;
        for (int s = 0; s < SlotsPerKomoku; ++s)
            m_statuses.Of(j - 1, s) = m_statuses.Of(j, s);
    }
    model.Komokus.pop_back();
    // The last category's files go with the save, once the others have moved down.

    model.KomokuCount = last;
    // The page that showed may be gone; the selection follows the page that shows now.
    if (model.ActivePage > model.KomokuCount)
        model.ActivePage = model.KomokuCount;
    model.SelKomoku = model.ActivePage > 0 ? model.ActivePage - 1 : 0;
    m_parts.View.render();
    m_parts.View.setActivePage(model.ActivePage);

    Save();
    restart();
    m_parts.View.render();
}

void WatchListPresenter::EditKomokuChange(int komoku, const QString& text)
{
    Komoku& target = m_parts.Model.KomokuAt(komoku);
    target.Name = text;
    target.AddedUnnamed = false;
    m_parts.Model.Saved = false;
    m_parts.View.render();
}

void WatchListPresenter::PageControl1Change(int page)
{
    WatchListModel& model = m_parts.Model;
    model.ActivePage = page;
    model.SelKomoku = page - 1;
    // The message line shows the guidance again, unless a pass shows its progress there.
    if (!m_parts.Run.KakakuChecking())
        model.LabelMsgNotice.clear();
    m_parts.View.render();
    if (page > 0)
        m_parts.View.layoutMessageLabel();
}

void WatchListPresenter::TabSheetAuctionShow(int komoku)
{
    WatchListModel& model = m_parts.Model;
    model.ActivePage = komoku + 1;
    model.SelKomoku = komoku;
    model.ShownKomoku = komoku;
    m_parts.View.render();
}

void WatchListPresenter::TabSheetSetteiShow()
{
    WatchListModel& model = m_parts.Model;
    model.ActivePage = 0;
    m_parts.View.render();
}

void WatchListPresenter::GridCellEdited(int komoku, int row, int column, const QString& text)
{
    WatchListModel& model = m_parts.Model;
    if (komoku < 0 || komoku >= static_cast<int>(model.Komokus.size()) || row < 1 || row > SlotsPerKomoku ||
        column < 1 || column >= ColumnCount)
        return;
    Slot& slot = model.SlotAt(komoku, row);
    if (slot.Cells[static_cast<size_t>(column)] == text) {
        // The address of a slot still waiting for its first page, given again: the user asks
        // for another try of the fetch that failed.
        if (column == ColURL && slot.InUse() && slot.Cells[ColKakaku].isEmpty())
            RegisterFromCell(komoku, column, row, text);
        return;
    }
    slot.Cells[static_cast<size_t>(column)] = text;
    if (column == ColKakaku)
        slot.KakakuText = text;
    model.Saved = false;
    m_parts.View.repaintGrid(komoku);
    // A committed edit has arrived whole: an address in it is registered now.
    RegisterFromCell(komoku, column, row, text);
}

} // namespace watchlist
