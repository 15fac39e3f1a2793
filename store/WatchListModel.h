#pragma once

#include "store/PriceTrack.h"
#include "store/SlotPicture.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace store {

inline constexpr int MaxKomokuCount = 5;
inline constexpr int SlotsPerKomoku = 10;
inline constexpr int ColumnCount = 15;

// The grid columns of a category page.
enum Column : int {
    ColNo = 0,
    ColTitle = 1,
    ColMonth = 2,
    ColDay = 3,
    ColHour = 4,
    ColMinute = 5,
    ColURL = 6,
    ColArarmHour = 7,
    ColArarmMinute = 8,
    ColKakaku = 9,
    ColYosan = 10,
    ColSokketugaku = 11,
    ColNyusatu = 12,
    ColNyusatugaku = 13,
    ColOption = 14,
};

// One auction slot: its grid row and what the window keeps beside it.
struct Slot {
    std::array<QString, ColumnCount> Cells;
    double ShuryoTime = 0;
    double ArarmTime = 0;
    bool PictureExist = false;
    SlotPicture Picture;
    QString KakakuText;
    bool SokketuEnd = false;
    // Why the last check of this slot failed; empty once a check succeeds.
    QString LastCheckError;
    // When its page was last read, and the last reading of its price history.
    PriceTrack Track;

    // A slot is in use exactly when its URL cell is not empty.
    bool InUse() const { return !Cells[ColURL].isEmpty(); }
};

// A row takes the slot that stood in another row: every cell and value that belongs to the
// auction. The row number in grid column 0 belongs to the row and stays.
void MoveSlotInto(Slot& row, const Slot& slot);
// A row gives up its auction and shows an empty slot under its own number.
void EmptySlot(Slot& row);

// One category: a tab page with its name, ten slots and its favourite.
struct Komoku {
    Komoku();

    // The text of the category's name edit.
    QString Name;
    std::array<Slot, SlotsPerKomoku> Slots;
    // Row (1 to 10) of the favourite auction, 0 when there is none.
    int HonmeiNo = 0;
    // A page added at run time reads "名前なし" until its name edit changes.
    bool AddedUnnamed = false;

    // The tab caption: the name, or "名前無し" when it is empty ("名前なし" on a page
    // added at run time whose name was never edited).
    QString TabCaption() const;
};

// The settings of the general page, as its controls hold them.
struct GeneralPage {
    // The lead time in minutes, as typed.
    QString EditArarmTime;
    bool CheckBoxAllArarm = false;
    bool CheckBoxYosanOverNoHyoji = false;
    bool CheckBoxKakakuKoshin = true;
    bool CheckBoxBalloon = true;
    // Index into "削除しない", "1" … "10".
    int ComboBoxEndAuctionDel = 2;
};

// The colour of the speech text box: red while a changed sentence has not been tried out.
enum class SpeakTextColor { White, Red };

// The speech controls of the general page.
struct SpeechControls {
    bool CheckBoxArarmSpeak = true;
    QString MemoSpeakText;
    SpeakTextColor MemoSpeakTextColor = SpeakTextColor::White;
};

// The state of the watch-list window that the logic decides and the window renders.
struct WatchListModel {
    WatchListModel();

    // The stored category count; the window builds this many category pages.
    int KomokuCount = 1;
    std::vector<Komoku> Komokus;

    // Window flags shared with the resident side. What the page retrieval is doing is its own
    // run state, not the window's.
    bool Saved = true;
    bool Rearranging = false;
    bool KakakuCheckRequest = false;
    bool PopupOpen = false;
    // The item-page scraper is running; registration from a cell waits until it is over.
    bool Scraping = false;
    bool SpeakTextChecked = true;
    bool WindowReady = false;

    // The category, row (1 to 10, 0 = none) and column the user last acted on.
    int SelKomoku = 0;
    int SelRow = 0;
    int SelCol = 0;
    // The category page shown last; showing the general page leaves it.
    int ShownKomoku = 0;

    // The page showing: 0 is the general page, k + 1 category k.
    int ActivePage = 0;
    // A notice for the message label under the pages (the site's pages no longer read, say):
    // shown instead of the guidance until the user picks a page or a pass starts.
    QString LabelMsgNotice;

    // The picture box last pressed: its category and slot (0 to 9). The picture menu and the
    // enlarged view act on that slot.
    int ImageKomoku = 0;
    int ImageSlot = 0;

    // The price-check button; this caption means that periodic checks are on.
    QString KakakuCheckButtonCaption;
    // The general page's check box that limits hidden-window checks to today and tomorrow.
    bool CheckBoxKakakuCheckToday_Tomorrow = true;

    SpeechControls Speech;
    GeneralPage General;

    Slot& SlotAt(int komoku, int row)
    {
        return Komokus[static_cast<size_t>(komoku)].Slots[static_cast<size_t>(row - 1)];
    }
    const Slot& SlotAt(int komoku, int row) const
    {
        return Komokus[static_cast<size_t>(komoku)].Slots[static_cast<size_t>(row - 1)];
    }
    Komoku& KomokuAt(int komoku) { return Komokus[static_cast<size_t>(komoku)]; }
    const Komoku& KomokuAt(int komoku) const { return Komokus[static_cast<size_t>(komoku)]; }
};

// The header texts of grid row 0, column 0 first.
const std::array<QString, ColumnCount>& HeaderTexts();
// The items of the removal choice on the general page.
QStringList EndAuctionDelItems();

// The guidance shown under a category page: how to register an auction.
QString RegistrationGuidance();
// The sentence the speech text box starts with.
QString DefaultSpeakText();
// The caption of the price-check button while periodic checks are on.
QString KakakuCheckStopCaption();

} // namespace store
