#pragma once

#include "shell/Schedule.h"
#include "watchlist/ResidentSide.h"

namespace watchlist {

// The resident side's status records of the slots (ended, won, over budget, own bid), as the
// window's behaviour changes them.
class SlotStatuses final {
public:
    explicit SlotStatuses(ResidentSide& resident) : m_resident(resident) {}
    SlotStatuses(const SlotStatuses&) = delete;
    SlotStatuses& operator=(const SlotStatuses&) = delete;

    // The record of slot (komoku, slot 0 to 9). Where the schedule has none yet, a spare
    // record, emptied at every call, takes what is written to it.
    shell::SlotStatus& Of(int komoku, int slot);

private:
    ResidentSide& m_resident;
    shell::SlotStatus m_spare;
};

} // namespace watchlist
