// The commands on one auction slot: the slot menu a right click opens, the favourite, the
// won mark, deleting a slot and moving it to another category.

#include "watchlist/WatchListPresenter.h"

#include "store/IniFile.h"
#include "store/KomokuRecord.h"
#include "store/SlotRecord.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"

#include <algorithm>
#include <numeric>

namespace watchlist {

using namespace store;

QString WatchListPresenter::RowDellQuestion(int row)
{
    return QStringLiteral("No") + QString::number(row) + QStringLiteral("のオークションを削除しますか？");
}

bool WatchListPresenter::SlotSelected() const
{
    const WatchListModel& model = m_parts.Model;
    return model.SelKomoku >= 0 && model.SelKomoku < static_cast<int>(model.Komokus.size()) &&
           model.SelRow >= 1 && model.SelRow <= SlotsPerKomoku &&
           model.KomokuAt(model.SelKomoku).Slots[static_cast<size_t>(model.SelRow - 1)].InUse();
}

void WatchListPresenter::WriteAtOnce(int komoku, const std::function<void(IniFile&)>& write)
{
    IniFile file(m_parts.File(SetteiIniName(komoku)));
    write(file);
    // The model holds the change: closing the window asks to save it.
    if (!file.Save())
        m_parts.Model.Saved = false;
}

void WatchListPresenter::GridMouseDown(int komoku, int column, int row, bool rightButton)
{
    WatchListModel& model = m_parts.Model;
    if (!rightButton || !model.WindowReady || m_parts.Run.KakakuChecking() || komoku < 0 ||
        komoku >= static_cast<int>(model.Komokus.size()))
        return;
    model.SelKomoku = komoku;
    model.SelCol = column;
    model.SelRow = row;
    if (!SlotSelected())
        return;
    PopupMenu2Popup();
    m_parts.View.hideHint();
    model.PopupOpen = true;
    m_parts.View.popupSlotMenu();
    model.PopupOpen = false;
}

void WatchListPresenter::PopupMenu2Popup()
{
    // The menu's items follow the selection (CommandStates).
    m_parts.View.render();
}

QString WatchListPresenter::FavouriteHint()
{
    const WatchListModel& model = m_parts.Model;
    QStringList labels;
    const int count = std::min(model.KomokuCount, static_cast<int>(model.Komokus.size()));
    for (int k = 0; k < count; ++k) {
        const Komoku& komoku = model.KomokuAt(k);
        const int row = komoku.HonmeiNo;
        if (row >= 1 && row <= SlotsPerKomoku)
            labels << m_storage.HonmeiLabel(
                k, row, IsEnded(komoku.Slots[static_cast<size_t>(row - 1)].Cells[ColTitle]));
    }
    return FavouriteSummary(labels, false);
}

void WatchListPresenter::MenuHonmeiClick()
{
    WatchListModel& model = m_parts.Model;
    if (!SlotSelected())
        return;
    const int komoku = model.SelKomoku;
    const int row = model.SelRow;
    model.KomokuAt(komoku).HonmeiNo = row;
    m_parts.View.repaintGrid(komoku);
    WriteAtOnce(komoku, [&category = model.KomokuAt(komoku)](IniFile& file) {
        KomokuRecord{category.Name, category.HonmeiNo}.WriteHonmei(file);
    });
    m_parts.Resident.SetTrayHint(FavouriteHint());
}

void WatchListPresenter::MenuRakusatuhinClick()
{
    WatchListModel& model = m_parts.Model;
    if (!SlotSelected())
        return;
    const int komoku = model.SelKomoku;
    const int row = model.SelRow;
    shell::SlotStatus& status = m_statuses.Of(komoku, row - 1);
    status.Won = !status.Won;
    const bool won = status.Won;
    m_parts.View.repaintGrid(komoku);
    WriteAtOnce(komoku, [row, won](IniFile& file) {
        SlotRecord record;
        record.Rakusatuhin = won;
        record.WriteKey(file, row, SlotKey::Rakusatuhin);
    });
}

void WatchListPresenter::RowDellClick()
{
    WatchListModel& model = m_parts.Model;
    if (!SlotSelected())
        return;
    const int komoku = model.SelKomoku;
    const int row = model.SelRow;
    model.Rearranging = true;
    if (m_parts.Dialogs.askYesNo(RowDellQuestion(row), {}, platform::MessageIcon::Question, false))
        DeleteSlot(komoku, row);
    model.Rearranging = false;
}

void WatchListPresenter::DeleteSlot(int komoku, int row)
{
    WatchListModel& model = m_parts.Model;
    model.Rearranging = true;
    if (!model.Saved && !Save()) {
        model.Rearranging = false;
        return;
    }
    // The deleted row goes last and is emptied there; a favourite it held goes with it.
    std::array<int, SlotsPerKomoku> order{};
    std::iota(order.begin(), order.end(), 0);
    std::rotate(order.begin() + (row - 1), order.begin() + row, order.end());
    MoveSlots(komoku, order);
    Komoku& category = model.KomokuAt(komoku);
    EmptySlot(category.Slots.back());
    m_statuses.Of(komoku, SlotsPerKomoku - 1) = shell::SlotStatus();
    if (category.HonmeiNo == SlotsPerKomoku)
        category.HonmeiNo = 0;
    m_parts.View.repaintGrid(komoku);
    Save();
    model.Rearranging = false;
}

void WatchListPresenter::MoveKomokuItemClick(int target)
{
    WatchListModel& model = m_parts.Model;
    if (m_parts.Run.KakakuChecking() || !SlotSelected() || target < 0 ||
        target >= std::min(model.KomokuCount, static_cast<int>(model.Komokus.size())) ||
        target == model.SelKomoku)
        return;
    const int komoku = model.SelKomoku;
    const int row = model.SelRow;
    model.Rearranging = true;
    if (!model.Saved && !Save()) {
        model.Rearranging = false;
        return;
    }
    Komoku& to = model.KomokuAt(target);
    const auto free =
        std::find_if(to.Slots.begin(), to.Slots.end(), [](const Slot& s) { return !s.InUse(); });
    if (free == to.Slots.end()) {
        model.Rearranging = false;
        return;
    }
    const int freeSlot = static_cast<int>(free - to.Slots.begin());
    MoveSlotInto(*free, model.SlotAt(komoku, row));
    const shell::SlotStatus status = m_statuses.Of(komoku, row - 1);
    m_statuses.Of(target, freeSlot) = status;
    // The picture goes along in memory: the save writes it under its new number together with
    // the target's list, so that a crash never leaves it under a number no list names.
    DeleteSlot(komoku, row);
}

} // namespace watchlist
