// Sorting the rows of the category showing by end time or by current price, and the one
// routine that moves rows with everything that belongs to their slots.

#include "watchlist/WatchListPresenter.h"

#include "store/TextRules.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace watchlist {

using namespace store;

namespace {

using RowOrder = std::array<int, SlotsPerKomoku>;
using RowKeys = std::array<std::optional<double>, SlotsPerKomoku>;

// One millisecond as a day count: end times closer than this count as equal.
constexpr double OneMillisecond = 1.0 / (24.0 * 60 * 60 * 1000);

// The rows with a key by ascending key, equal keys in row order, then the rows without one
// in row order.
RowOrder Ascending(const RowKeys& keys, double tolerance)
{
    std::vector<int> keyed;
    std::vector<int> rest;
    for (int j = 0; j < SlotsPerKomoku; ++j)
        (keys[static_cast<size_t>(j)] ? keyed : rest).push_back(j);
    RowOrder order{};
    size_t next = 0;
    while (!keyed.empty()) {
        // The first of the smallest wins, so equal keys keep their order.
        auto smallest = keyed.begin();
        for (auto it = keyed.begin() + 1; it != keyed.end(); ++it) {
            if (*keys[static_cast<size_t>(*it)] < *keys[static_cast<size_t>(*smallest)] - tolerance)
                smallest = it;
        }
        order[next++] = *smallest;
        keyed.erase(smallest);
    }
    for (const int j : rest)
        order[next++] = j;
    return order;
}

} // namespace

QString WatchListPresenter::EndTimeCellsMessage()
{
    return QStringLiteral("終了時間は半角数字で正しい月日時分を入力してください。");
}

QString WatchListPresenter::NoEndTimeMessage()
{
    return QStringLiteral("終了時間が入力されていません。");
}

int WatchListPresenter::BeginSort()
{
    WatchListModel& model = m_parts.Model;
    const int komoku = model.ActivePage - 1;
    if (komoku < 0 || komoku >= static_cast<int>(model.Komokus.size()))
        return -1;
    model.Rearranging = true;
    if (!Save()) {
        model.Rearranging = false;
        return -1;
    }
    // The window holds the new order until the second save has stored it.
    model.Saved = false;
    return komoku;
}

void WatchListPresenter::S1Click()
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
    ApplyRowOrder(komoku, Ascending(keys, OneMillisecond));
    Save();
    model.Rearranging = false;
}

void WatchListPresenter::MenuCheapClick()
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
    ApplyRowOrder(komoku, Ascending(keys, 0));
    Save();
    model.Rearranging = false;
}

void WatchListPresenter::ApplyRowOrder(int komoku, const std::array<int, SlotsPerKomoku>& order)
{
    MoveSlots(komoku, order);
    for (int s = 0; s < SlotsPerKomoku; ++s) {
        Slot& slot = m_parts.Model.KomokuAt(komoku).Slots[static_cast<size_t>(s)];
        slot.KakakuText = slot.Cells[ColKakaku];
        m_statuses.Of(komoku, s).Ended = IsEnded(slot.Cells[ColTitle]);
    }
    m_parts.View.repaintGrid(komoku);
}

void WatchListPresenter::MoveSlots(int komoku, const std::array<int, SlotsPerKomoku>& order)
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
