// The commands on one auction slot: the slot menu a right click opens, the favourite, the
// won mark, deleting a slot and moving it to another category; and sorting the rows of the
// category showing by end time or by current price, with the one routine that moves rows
// with everything that belongs to their slots.

#include "watchlist/SlotCommands.h"

#include "store/IniFile.h"
#include "store/KomokuRecord.h"
#include "store/SlotRecord.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"

#include <algorithm>
#include <numeric>

namespace watchlist {

using namespace store;

namespace {

// One millisecond as a day count: end times closer than this count as equal.
constexpr double OneMillisecond = 1.0 / (24.0 * 60 * 60 * 1000);

} // namespace

QString SlotCommands::RowDellQuestion(int row)
{
    return QStringLiteral("No") + QString::number(row) + QStringLiteral("のオークションを削除しますか？");
}

QString SlotCommands::EndTimeCellsMessage()
{
    return QStringLiteral("終了時間は半角数字で正しい月日時分を入力してください。");
}

QString SlotCommands::NoEndTimeMessage()
{
    return QStringLiteral("終了時間が入力されていません。");
}

bool SlotCommands::SlotSelected() const
{
    const WatchListModel& model = m_parts.Model;
    return model.SelKomoku >= 0 && model.SelKomoku < static_cast<int>(model.Komokus.size()) &&
           model.SelRow >= 1 && model.SelRow <= SlotsPerKomoku &&
           model.KomokuAt(model.SelKomoku).Slots[static_cast<size_t>(model.SelRow - 1)].InUse();
}

void SlotCommands::WriteAtOnce(int komoku, const std::function<void(IniFile&)>& write)
{
    IniFile file(m_parts.File(SetteiIniName(komoku)));
    write(file);
    // The model holds the change: closing the window asks to save it.
    if (!file.Save())
        m_parts.Model.Saved = false;
}

void SlotCommands::MouseDown(int komoku, int column, int row, bool rightButton)
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
    MenuOpening();
    m_parts.View.hideHint();
    model.PopupOpen = true;
    m_parts.View.popupSlotMenu();
    model.PopupOpen = false;
}

void SlotCommands::MenuOpening()
{
    // The menu's items follow the selection (CommandStates).
    m_parts.View.render();
}

QString SlotCommands::FavouriteHint()
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

void SlotCommands::MakeFavourite()
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

void SlotCommands::SwitchWon()
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

void SlotCommands::DeleteSelected()
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

void SlotCommands::DeleteSlot(int komoku, int row)
{
    WatchListModel& model = m_parts.Model;
    model.Rearranging = true;
    if (!model.Saved && !m_storage.Save()) {
        model.Rearranging = false;
        return;
    }
    // The deleted row goes last and is emptied there; a favourite it held goes with it.
    RowOrder order{};
    std::iota(order.begin(), order.end(), 0);
    std::rotate(order.begin() + (row - 1), order.begin() + row, order.end());
    MoveSlots(komoku, order);
    Komoku& category = model.KomokuAt(komoku);
    EmptySlot(category.Slots.back());
    m_statuses.Of(komoku, SlotsPerKomoku - 1) = shell::SlotStatus();
    if (category.HonmeiNo == SlotsPerKomoku)
        category.HonmeiNo = 0;
    m_parts.View.repaintGrid(komoku);
    m_storage.Save();
    model.Rearranging = false;
}

void SlotCommands::MoveSelected(int target)
{
    WatchListModel& model = m_parts.Model;
    if (m_parts.Run.KakakuChecking() || !SlotSelected() || target < 0 ||
        target >= std::min(model.KomokuCount, static_cast<int>(model.Komokus.size())) ||
        target == model.SelKomoku)
        return;
    const int komoku = model.SelKomoku;
    const int row = model.SelRow;
    model.Rearranging = true;
    if (!model.Saved && !m_storage.Save()) {
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

int SlotCommands::BeginSort()
{
    WatchListModel& model = m_parts.Model;
    const int komoku = model.ActivePage - 1;
    if (komoku < 0 || komoku >= static_cast<int>(model.Komokus.size()))
        return -1;
    model.Rearranging = true;
    if (!m_storage.Save()) {
        model.Rearranging = false;
        return -1;
    }
    // The window holds the new order until the second save has stored it.
    model.Saved = false;
    return komoku;
}

void SlotCommands::SortByEndTime()
{
    WatchListModel& model = m_parts.Model;
    const int komoku = BeginSort();
    if (komoku < 0)
        return;
    const QDate today = m_parts.Clock.now().date();

    // Every row takes part, in use or not: its key is the end time its four cells give.
    RowKeys keys;
    for (int row = 1; row <= SlotsPerKomoku; ++row) {
        const auto& cells = model.SlotAt(komoku, row).Cells;
        if (cells[ColMonth].isEmpty() || cells[ColDay].isEmpty() || cells[ColHour].isEmpty() ||
            cells[ColMinute].isEmpty())
            continue;
        const auto end =
            EncodeEndTime(cells[ColMonth], cells[ColDay], cells[ColHour], cells[ColMinute], today);
        if (!end) {
            m_parts.Dialogs.showMessage(EndTimeCellsMessage());
            model.Rearranging = false;
            return;
        }
        keys[static_cast<size_t>(row - 1)] = *end;
    }
    if (std::none_of(keys.begin(), keys.end(), [](const auto& key) { return key.has_value(); })) {
        m_parts.Dialogs.showMessage(NoEndTimeMessage());
        model.Rearranging = false;
        return;
    }
    ApplyRowOrder(komoku, AscendingRowOrder(keys, OneMillisecond));
    m_storage.Save();
    model.Rearranging = false;
}

void SlotCommands::SortByPrice()
{
    WatchListModel& model = m_parts.Model;
    if (!model.WindowReady)
        return;
    const int komoku = BeginSort();
    if (komoku < 0)
        return;

    // A price above 0 is a key; an empty, unreadable or zero price goes to the end.
    RowKeys keys;
    for (int row = 1; row <= SlotsPerKomoku; ++row) {
        const QString& price = model.SlotAt(komoku, row).Cells[ColKakaku];
        const int value = price.isEmpty() ? 0 : PriceValue(price).value_or(0);
        if (value > 0)
            keys[static_cast<size_t>(row - 1)] = value;
    }
    ApplyRowOrder(komoku, AscendingRowOrder(keys, 0));
    m_storage.Save();
    model.Rearranging = false;
}

void SlotCommands::ApplyRowOrder(int komoku, const RowOrder& order)
{
    MoveSlots(komoku, order);
    for (int s = 0; s < SlotsPerKomoku; ++s) {
        Slot& slot = m_parts.Model.KomokuAt(komoku).Slots[static_cast<size_t>(s)];
        slot.KakakuText = slot.Cells[ColKakaku];
        m_statuses.Of(komoku, s).Ended = IsEnded(slot.Cells[ColTitle]);
    }
    m_parts.View.repaintGrid(komoku);
}

void SlotCommands::MoveSlots(int komoku, const RowOrder& order)
{
    WatchListModel& model = m_parts.Model;
    if (komoku < 0 || komoku >= static_cast<int>(model.Komokus.size()))
        return;
    RowOrder identity{};
    std::iota(identity.begin(), identity.end(), 0);
    if (!std::is_permutation(order.begin(), order.end(), identity.begin()))
        return;

    Komoku& category = model.KomokuAt(komoku);
    // Cells, side tables and picture move with the slot; the resident's status records too.
    const auto before = category.Slots;
    std::array<shell::SlotStatus, SlotsPerKomoku> statuses;
    for (int j = 0; j < SlotsPerKomoku; ++j)
        statuses[static_cast<size_t>(j)] = m_statuses.Of(komoku, j);
    const int honmei = category.HonmeiNo;
    for (int i = 0; i < SlotsPerKomoku; ++i) {
        const int j = order[static_cast<size_t>(i)];
        if (honmei == j + 1)
            category.HonmeiNo = i + 1;
        Slot& slot = category.Slots[static_cast<size_t>(i)];
        MoveSlotInto(slot, before[static_cast<size_t>(j)]);
        m_statuses.Of(komoku, i) = statuses[static_cast<size_t>(j)];
    }
}

} // namespace watchlist
