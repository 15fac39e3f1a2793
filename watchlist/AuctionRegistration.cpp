// Registering an auction: an item-page address typed, pasted or dropped into a category's
// grid, or handed over from outside the window, finds a free slot, is saved and has its page
// fetched at once.

#include "watchlist/AuctionRegistration.h"

#include "retrieval/FetchPage.h"
#include "store/TextRules.h"

namespace watchlist {

using namespace store;

QString AuctionRegistration::DuplicateQuestion(const QString& komokuName, int row)
{
    return komokuName + QStringLiteral(" No") + QString::number(row) +
           QStringLiteral("に既に登録されていますが、\r登録しますか?");
}

QString AuctionRegistration::SaveFirstMessage()
{
    return QStringLiteral("正しく設定した後、設定を保存してください。");
}

bool AuctionRegistration::ConfirmDuplicates(int komoku, int row, const QString& url)
{
    const WatchListModel& model = m_parts.Model;
    for (int i = 0; i < static_cast<int>(model.Komokus.size()); ++i) {
        for (int y = 1; y <= SlotsPerKomoku; ++y) {
            if ((i == komoku && y == row) ||
                model.KomokuAt(i).Slots[static_cast<size_t>(y - 1)].Cells[ColURL] != url)
                continue;
            m_parts.View.bringToFront();
            if (!m_parts.Dialogs.askYesNo(DuplicateQuestion(model.KomokuAt(i).Name, y), ProductName(),
                                          platform::MessageIcon::Question, true))
                return false;
        }
    }
    return true;
}

void AuctionRegistration::RegisterFromCell(int komoku, int column, int row, const QString& text)
{
    WatchListModel& model = m_parts.Model;
    if (!model.WindowReady || model.Scraping || text.isEmpty())
        return;
    if (komoku < 0 || komoku >= static_cast<int>(model.Komokus.size()) || row < 1 || row > SlotsPerKomoku ||
        column < 0 || column >= ColumnCount)
        return;
    model.Saved = false;
    model.SelKomoku = komoku;
    model.SelRow = row;
    const int entryColumn = column;
    const int entryRow = row;
    const auto cell = [&model, komoku](int c, int r) -> QString& {
        return model.SlotAt(komoku, r).Cells[static_cast<size_t>(c)];
    };

    // An item-page address goes to the first free slot: no price, and no other address waiting
    // there for its first fetch (which it would silently replace). The slot whose price cell it
    // was pasted into counts as free.
    if (text.startsWith(retrieval::ItemPagePrefix()) && column != ColNo && column != ColOption) {
        // A slot that already waits with this address takes it again, whichever slot is free first.
        int waiting = 0;
        for (int x = 1; x <= SlotsPerKomoku && waiting == 0; ++x) {
            if (cell(ColKakaku, x).isEmpty() && cell(ColURL, x) == text)
                waiting = x;
        }
        for (int x = waiting > 0 ? waiting : 1; x <= SlotsPerKomoku; ++x) {
            const QString& price = cell(ColKakaku, x);
            const QString& url = cell(ColURL, x);
            const bool free = price.isEmpty() && (url.isEmpty() || url == text);
            if (!free && price != text)
                continue;
            column = ColURL;
            row = x;
            cell(ColURL, x) = text;
            model.SelRow = x;
            if (entryColumn != ColURL || entryRow != x)
                cell(entryColumn, entryRow).clear();
            break;
        }
    }

    if (column == ColURL) {
        if (!ConfirmDuplicates(komoku, row, text)) {
            cell(ColURL, row).clear();
            cell(entryColumn, entryRow).clear();
            m_parts.View.repaintGrid(komoku);
            return;
        }
        if (!m_storage.Save()) {
            m_parts.Dialogs.showMessage(SaveFirstMessage());
        } else {
            const Slot& selected = model.SlotAt(model.SelKomoku, model.SelRow);
            // While a pass or another registration runs it waits, and the tick hands it over.
            if (!selected.Cells[ColURL].isEmpty() && selected.Cells[ColKakaku].isEmpty())
                m_parts.Run.RegisterPage(model.SelKomoku, model.SelRow, selected.Cells[ColURL]);
        }
    }

    Slot& selected = model.SlotAt(model.SelKomoku, model.SelRow);
    if (column == ColKakaku)
        selected.KakakuText = selected.Cells[ColKakaku];
    m_parts.View.repaintGrid(komoku);
    m_parts.View.render();
    if (selected.InUse() && (column != entryColumn || row != entryRow))
        m_parts.View.focusHyoji(komoku, row);
}

void AuctionRegistration::Drop(const QString& address)
{
    WatchListModel& model = m_parts.Model;
    const int komoku = model.SelKomoku;
    if (model.ActivePage == 0 || address.isEmpty() || komoku < 0 ||
        komoku >= static_cast<int>(model.Komokus.size()))
        return;
    for (int x = 1; x <= SlotsPerKomoku; ++x) {
        Slot& slot = model.SlotAt(komoku, x);
        if (slot.InUse())
            continue;
        if (m_parts.Run.Mode() == shell::RunMode::Idle) {
            RegisterFromCell(komoku, ColURL, x, address);
        } else {
            // Written at once, and not yet stored; the tick hands it over once what runs is over.
            slot.Cells[ColURL] = address;
            model.Saved = false;
            m_parts.Run.QueueRegistration(komoku, x, address);
            m_parts.View.repaintGrid(komoku);
            m_parts.View.render();
        }
        break;
    }
    m_parts.View.bringToFront();
}

bool AuctionRegistration::RegisterFromOutside(const QString& address)
{
    WatchListModel& model = m_parts.Model;
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
    Drop(address);
    return true;
}

void AuctionRegistration::CellEdited(int komoku, int row, int column, const QString& text)
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
