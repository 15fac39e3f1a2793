#include "watchlist/CommandStates.h"

#include "retrieval/PriceCheckPass.h"

#include <algorithm>

namespace watchlist {

using namespace store;

bool TitleOfSlotSelected(const WatchListModel& model)
{
    return model.SelCol == ColTitle && model.SelKomoku >= 0 &&
           model.SelKomoku < static_cast<int>(model.Komokus.size()) && model.SelRow >= 1 &&
           model.SelRow <= SlotsPerKomoku && model.SlotAt(model.SelKomoku, model.SelRow).InUse();
}

CommandStates DeriveCommandStates(const WatchListModel& model, const RunView& run, bool selectedWon)
{
    CommandStates states;
    const bool busy = run.Checking || run.Registering;
    const bool categoryPage = model.ActivePage > 0;
    const bool titleSelected = TitleOfSlotSelected(model);
    const int count = std::min(model.KomokuCount, static_cast<int>(model.Komokus.size()));

    // A changed sentence must be tried out before the settings can be saved; a fetch holds
    // the save back until what it reads is in the window.
    states.MenuSave = !busy && model.SpeakTextChecked;
    states.MenuSortEnd = states.MenuCheap = !busy && categoryPage;
    states.MenuDelete = !busy && categoryPage && titleSelected;
    states.MenuHonmei = !run.Checking && categoryPage && titleSelected;
    states.BtnOK = !run.Checking;
    states.BtnAddKomoku = model.KomokuCount < MaxKomokuCount;
    states.BtnTabDel = model.KomokuCount > 1;
    for (const Komoku& komoku : model.Komokus) {
        std::array<bool, SlotsPerKomoku> shown{};
        for (int s = 0; s < SlotsPerKomoku; ++s)
            shown[static_cast<size_t>(s)] = komoku.Slots[static_cast<size_t>(s)].InUse();
        states.BtnHyoji.push_back(shown);
    }

    if (run.Checking) {
        states.LabelMsgVisible = true;
        if (run.Current)
            states.LabelMsgText =
                retrieval::PriceCheckPass::ProgressText(run.Current->Komoku, run.Current->Row);
    } else if (run.Registering) {
        states.LabelMsgVisible = true;
        states.LabelMsgText = retrieval::PriceCheckPass::RegisteringText();
    } else if (!model.LabelMsgNotice.isEmpty()) {
        states.LabelMsgVisible = true;
        states.LabelMsgText = model.LabelMsgNotice;
    } else if (categoryPage) {
        states.LabelMsgVisible = true;
        states.LabelMsgText = RegistrationGuidance();
    }
    states.KakakuCheckCaption = model.KakakuCheckButtonCaption;

    states.MenuDellKomoku = !run.Registering;
    states.MenuMove = count >= 2;
    states.MenuRakusatuhinChecked = selectedWon;
    states.MenuKakakuRireki = model.SelKomoku >= 0 &&
                              model.SelKomoku < static_cast<int>(model.Komokus.size()) && model.SelRow >= 1 &&
                              model.SelRow <= SlotsPerKomoku &&
                              HasPriceHistory(model.SlotAt(model.SelKomoku, model.SelRow));
    for (int i = 0; i < static_cast<int>(model.Komokus.size()); ++i) {
        const Komoku& komoku = model.KomokuAt(i);
        const bool freeRow = std::any_of(komoku.Slots.begin(), komoku.Slots.end(),
                                         [](const Slot& slot) { return !slot.InUse(); });
        states.MoveItemCaptions.push_back(komoku.TabCaption() + QStringLiteral("へ"));
        states.MoveItems.push_back(states.MenuMove && i < count && i != model.SelKomoku && freeRow);
    }

    const bool pictureSlot = model.ImageKomoku >= 0 &&
                             model.ImageKomoku < static_cast<int>(model.Komokus.size()) &&
                             model.ImageSlot >= 0 && model.ImageSlot < SlotsPerKomoku;
    states.D1 = states.Kakudai =
        pictureSlot &&
        model.KomokuAt(model.ImageKomoku).Slots[static_cast<size_t>(model.ImageSlot)].PictureExist;
    return states;
}

} // namespace watchlist
