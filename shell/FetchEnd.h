#pragma once

#include "platform/WindowView.h"
#include "store/WatchListModel.h"

namespace shell {

// What the end of a price-check pass and the end of a registration both give back to the
// watch-list window: the fetch flags and queue cleared, the save and sort commands, the
// delete command for a selected registered title, and the guidance under a category page.
// True when the last grid click selected the title of a registered slot.
bool RestoreAfterFetch(store::WatchListModel& model, platform::WindowView* view);

} // namespace shell
