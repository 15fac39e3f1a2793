#pragma once

#include "shell/RetrievalCalls.h"
#include "store/WatchListModel.h"
#include "watchlist/AuctionRegistration.h"
#include "watchlist/CellColours.h"
#include "watchlist/CommandStates.h"
#include "watchlist/KakakuRireki.h"
#include "watchlist/KomokuPages.h"
#include "watchlist/PresenterParts.h"
#include "watchlist/SlotCommands.h"
#include "watchlist/SlotStatuses.h"
#include "watchlist/WatchListStorage.h"

#include <QString>

#include <array>
#include <functional>

namespace watchlist {

// The watch-list window's event entry points. The widgets render the model and forward the
// user's events here; each goes on to the class that owns the behaviour: WatchListStorage (the
// load, the save and the close), KomokuPages (the category pages), SlotCommands (the slot menu
// and the sorts) and AuctionRegistration (addresses typed, dropped or handed over). The general
// page's settings, the help menu, the price-check button and the grids' clicks are handled here.
class WatchListPresenter final : public shell::CellRegistration {
public:
    using Parts = PresenterParts;
    // What the window's commands reach beyond the window itself.
    struct Commands {
        // "バージョン情報(&V)".
        std::function<void()> About;
        // "価格の推移(&P)": the price-history window, without blocking.
        std::function<void(const KakakuRireki&)> ShowKakakuRireki;
    };
    explicit WatchListPresenter(Parts parts);
    WatchListPresenter(const WatchListPresenter&) = delete;
    WatchListPresenter& operator=(const WatchListPresenter&) = delete;

    void SetCommands(Commands commands) { m_commands = std::move(commands); }

    // The enabled states, captions and the message line the window shows now.
    CommandStates States() const;

    // The category pages (KomokuPages).
    // Builds the categories the stored count asks for; on a first start saves at once.
    void FormCreate();
    void BtnAddKomokuClick();
    void BtnTabDelClick(int komoku);
    void EditKomokuChange(int komoku, const QString& text);
    // The user picked a page (0 is the general page).
    void PageControl1Change(int page);
    void TabSheetAuctionShow(int komoku);
    void TabSheetSetteiShow();

    // The stored files (WatchListStorage).
    // Every show: the stored watch list replaces the window's contents.
    void FormShow();
    // Writes the window's state to the stored files; false when a check refused it
    // (the user has been told, unless a registration is running).
    bool Save();
    // "保存(&S)" and "OK".
    void MenuSaveClick();
    // The user closes the window; false when it must stay open.
    bool FormCloseQuery();
    // "終了(&E)" of the window.
    void MenuEndClick();

    // The general page's handlers.
    void EditArarmTimeChange(const QString& text);
    // Any of the five check boxes or the removal choice; the new value is in the model.
    void CheckBoxAllArarmClick();
    // The speech check box; its new state is in the model.
    void CheckBoxArarmSpeakClick();
    // The sentence has been edited; the new text is in the model.
    void MemoSpeakTextChange();
    // "再生".
    void BtnPlayClick();

    // The registration (AuctionRegistration).
    // A cell edited in place (row 1 to 10, column 1 to 14); the edit is committed.
    void GridCellEdited(int komoku, int row, int column, const QString& text);
    // Text arrived whole in a cell (column, row 1 to 10) of category komoku: a paste, a drop, a
    // committed edit, or the tick handing over a registration that waited for a pass. An
    // item-page address finds its slot, is saved and has its page fetched. Text typed key by
    // key comes here only once its edit is committed, so a half-typed address is never moved
    // away from under the cursor, saved or fetched.
    void RegisterFromCell(int komoku, int column, int row, const QString& text) override;
    // An address dropped on the grid of the current category.
    void DropURLTarget1Drop(const QString& address);
    // An address handed over from outside the window (the command line): the window comes up
    // and takes it as a drop on the category page shown last. False while the window is not ready.
    bool RegisterFromOutside(const QString& address);

    // The grids: the background a cell is painted with now, a click that selects a cell (row
    // 1 to 10, 0 for none), the focus leaving a grid, and the "表示" button of slot (0 to 9).
    CellColour GridCellColour(int komoku, int column, int row, bool focusedCurrent) const;
    // The hover hint of a cell (GridHint), now.
    QString HintText(int komoku, int column, int row) const;
    void GridClick(int komoku, int row, int column);
    void GridExit();
    void BtnHyojiClick(int komoku, int slot);

    // The help menu and the price-check button.
    void H2Click();
    void AboutOnseiClick();
    void V1Click();
    void BtnKakakuCheckClick();
    // The About window's address label was clicked.
    void LabelURLClick(const QString& address);

    // The slot commands (SlotCommands) act on the selected slot (SelKomoku, SelRow).
    // A mouse button went down on cell (column, row) of category komoku's grid; the right
    // button selects that cell's slot and opens the slot menu over a registered one.
    void GridMouseDown(int komoku, int column, int row, bool rightButton);
    // The slot menu is about to open: the move items and the won check.
    void PopupMenu2Popup();
    // Makes the selected slot its category's favourite.
    void MenuHonmeiClick();
    // Switches the selected slot's won mark.
    void MenuRakusatuhinClick();
    // Deletes the selected slot after asking.
    void RowDellClick();
    // Moves the selected slot to the first free row of category target.
    void MoveKomokuItemClick(int target);
    // Shows the price history of the selected slot.
    void MenuKakakuRirekiClick();

    // The category showing sorted by end time ("終了時間順に並べ替え(&S)") or by current
    // price, cheapest first ("現在価格の低い順に並べ替え(&C)").
    void S1Click();
    void MenuCheapClick();
    // New row i + 1 of category komoku takes what old row order[i] + 1 held, with every value
    // that belongs to the slot; order holds each of 0 to 9 once.
    void ApplyRowOrder(int komoku, const std::array<int, store::SlotsPerKomoku>& order);

private:
    Parts m_parts;
    Commands m_commands;
    SlotStatuses m_statuses;
    WatchListStorage m_storage;
    KomokuPages m_pages;
    SlotCommands m_slots;
    AuctionRegistration m_registration;
};

} // namespace watchlist
