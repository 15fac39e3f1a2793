#pragma once

#include "shell/RetrievalCalls.h"
#include "store/WatchListModel.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace watchlist {

// What the page retrieval is doing, as the window's commands depend on it.
struct RunView {
    // A price-check pass is past its probe.
    bool Checking = false;
    // A registration is past its probe.
    bool Registering = false;
    // The page being fetched or read.
    std::optional<shell::FetchEntry> Current;
};

// Every enabled state, check mark and caption of the watch-list window that the logic decides,
// with the message line under the pages. Derived in one place from the model and the run
// state, so that none can be left behind by a path that forgot it.
struct CommandStates {
    bool MenuSave = true;     // "保存(&S)"
    bool MenuSortEnd = false; // "終了時間順に並べ替え(&S)"
    bool MenuCheap = false;   // "現在価格の低い順に並べ替え(&C)"
    bool MenuDelete = false;  // "選択したオークションの削除(&D)"
    bool MenuHonmei = false;  // "選択したオークションを本命にする(&H)"
    bool BtnOK = true;
    bool BtnAddKomoku = true;
    // Every category's "タブの削除".
    bool BtnTabDel = false;
    // The "表示" button of each category's slots.
    std::vector<std::array<bool, store::SlotsPerKomoku>> BtnHyoji;

    bool LabelMsgVisible = false;
    QString LabelMsgText;
    // The price-check button's caption: the on/off state of periodic checks.
    QString KakakuCheckCaption;

    // The slot menu.
    bool MenuDellKomoku = true; // "このオークションを削除(&D)"
    bool MenuMove = false;      // "別の項目へ移動(&M)"
    bool MenuRakusatuhinChecked = false;
    // "価格の推移(&P)": the selected slot's auction has a recorded reading.
    bool MenuKakakuRireki = false;
    // The items under "別の項目へ移動(&M)", one per category.
    std::vector<QString> MoveItemCaptions;
    std::vector<bool> MoveItems;

    // The picture menu.
    bool P1 = true;       // "貼り付け(&P)"
    bool D1 = false;      // "削除(&D)"
    bool Kakudai = false; // "拡大画像を表示(&V)"
};

// selectedWon: whether the slot the selection names is marked won.
CommandStates DeriveCommandStates(const store::WatchListModel& model, const RunView& run, bool selectedWon);

// Whether the selection (SelKomoku, SelRow, SelCol) is the title cell of a registered slot.
bool TitleOfSlotSelected(const store::WatchListModel& model);

} // namespace watchlist
