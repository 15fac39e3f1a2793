// The category grids: cell colours, the selection that the edit menu acts on, and the
// "表示" buttons beside the rows.

#include "watchlist/WatchListPresenter.h"

#include "shell/OpenWithShell.h"
#include "shell/TMiruberoMainForm.h"
#include "store/TextRules.h"

namespace watchlist {

using namespace store;

CellColour WatchListPresenter::GridCellColour(int komoku, int column, int row, bool focusedCurrent) const
{
    const shell::SlotStatus* status =
        row >= 1 && row <= SlotsPerKomoku ? m_parts.Resident.Status(komoku, row - 1) : nullptr;
    return watchlist::GridCellColour(m_parts.Model, status, komoku, column, row, focusedCurrent,
                                     m_parts.Clock.now());
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

} // namespace watchlist
