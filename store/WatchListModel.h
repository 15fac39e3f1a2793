#pragma once

#include <QImage>
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
    QImage SlotImage;
    QString KakakuText;
    bool SokketuEnd = false;
    // Why the last check of this slot failed; empty once a check succeeds.
    QString LastCheckError;
    // The slot's "表示" button.
    bool BtnHyojiEnabled = false;
    // The picture file SlotImage was last read from or written to, and the image's
    // cache key then: a save writes the picture again only when either differs.
    QString PictureFile;
    qint64 PictureKey = 0;

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
    bool BtnTabDelEnabled = false;
    // The category's item under "別の項目へ移動(&M)".
    QString MoveItemCaption;
    bool MoveItemEnabled = false;

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

// One page to fetch: the address, and the category and row (1 to 10) it belongs to.
struct FetchEntry {
    QString URL;
    int Komoku = 0;
    int Row = 0;
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

    // Window flags shared with the resident side.
    bool Saved = true;
    bool KakakuChecking = false;
    bool Rearranging = false;
    bool KakakuCheckRequest = false;
    bool Registering = false;
    bool Fetching = false;
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

    // A registration that arrived while a price check ran.
    bool PendingRegister = false;
    int PendingKomoku = 0;
    int PendingRow = 0;
    QString PendingURL;

    // The page showing: 0 is the general page, k + 1 category k.
    int ActivePage = 0;
    // The message label under the pages.
    bool LabelMsgVisible = false;
    QString LabelMsgText;

    // Enabled states of the commands the logic decides.
    bool MenuSaveEnabled = true;
    bool MenuSortEndEnabled = false; // "終了時間順に並べ替え(&S)"
    bool MenuCheapEnabled = false;   // "現在価格の低い順に並べ替え(&C)"
    bool MenuDeleteEnabled = false;  // "選択したオークションの削除(&D)"
    bool MenuHonmeiEnabled = false;  // "選択したオークションを本命にする(&H)"
    bool MenuMoveEnabled = false;    // "別の項目へ移動(&M)"
    // The slot menu's delete item and the check of its "落札品(&G)".
    bool MenuDellKomokuEnabled = true; // "このオークションを削除(&D)"
    bool MenuRakusatuhinChecked = false;
    bool BtnOKEnabled = true;
    bool BtnAddKomokuEnabled = true;

    // The picture box last pressed: its category and slot (0 to 9). The picture menu and the
    // enlarged view act on that slot.
    int ImageKomoku = 0;
    int ImageSlot = 0;
    // The picture menu's items.
    bool P1Enabled = true;       // "貼り付け(&P)"
    bool D1Enabled = false;      // "削除(&D)"
    bool KakudaiEnabled = false; // "拡大画像を表示(&V)"

    // The pages a pass or a registration fetches, and the one being processed.
    std::vector<FetchEntry> FetchQueue;
    int FetchIndex = 0;
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
