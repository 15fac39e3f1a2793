#pragma once

#include "store/StoredFiles.h"
#include "store/WatchListModel.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace shell {

// What a slot's status record holds beside its times; the watch-list window reads and
// writes it too.
struct SlotStatus {
    bool OverBudget = false;
    bool Ended = false;
    bool Won = false;
    int OwnBid = 0;
};

// What the monitor knows of one auction slot, rebuilt from the stored files; the
// status flags and the own bid are shared with the watch-list window.
struct ScheduleSlot : SlotStatus {
    double AlarmAt = 0;
    double EndAt = 0;
    QString URL;
    int Budget = 0;
};

// The alarm state of one category: its latch, and the slots this tick found.
struct KomokuAlarm {
    bool Latch = false;
    // When the latch was last touched; 0 is "never".
    std::uint32_t LatchTime = 0;
    // Slots inside their alarm window, and those left out for being over budget.
    std::vector<int> InWindow;
    std::vector<int> OverBudget;
};

// The settings of "Total.ini" that the monitor works with.
struct ScheduleSettings {
    int LeadMinutes = store::total::ArarmTime.DefaultValue;
    bool All = false;
    bool Speak = false;
    bool Kido = false;
    bool Balloon = false;
    int Del = 0;
    bool NoHyoji = false;
    QString SpeakText;
};

// Ten slots per category, with the same numbering as the watch-list window.
struct Schedule {
    std::vector<std::array<ScheduleSlot, store::SlotsPerKomoku>> Komoku;
    ScheduleSettings Settings;

    int KomokuCount() const { return static_cast<int>(Komoku.size()); }
    ScheduleSlot& At(int komoku, int slot)
    {
        return Komoku[static_cast<size_t>(komoku)][static_cast<size_t>(slot)];
    }
    const ScheduleSlot& At(int komoku, int slot) const
    {
        return Komoku[static_cast<size_t>(komoku)][static_cast<size_t>(slot)];
    }
};

} // namespace shell
