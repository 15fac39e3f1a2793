#include "shell/FetchEnd.h"

namespace shell {

bool RestoreAfterFetch(store::WatchListModel& model, platform::WindowView* view)
{
    model.Fetching = false;
    model.FetchQueue.clear();
    model.MenuSaveEnabled = true;
    if (model.ActivePage == 0) {
        model.LabelMsgVisible = false;
        return false;
    }
    model.MenuSortEndEnabled = true;
    model.MenuCheapEnabled = true;
    const bool inRange = model.SelKomoku >= 0 && model.SelKomoku < static_cast<int>(model.Komokus.size()) &&
                         model.SelRow >= 1 && model.SelRow <= store::SlotsPerKomoku;
    const bool titleSelected =
        model.SelCol == store::ColTitle && inRange && model.SlotAt(model.SelKomoku, model.SelRow).InUse();
    if (titleSelected)
        model.MenuDeleteEnabled = true;
    model.LabelMsgText = store::RegistrationGuidance();
    model.LabelMsgVisible = true;
    if (view)
        view->layoutMessageLabel();
    return titleSelected;
}

} // namespace shell
