#pragma once

#include "store/ResidentSide.h"

#include <QString>

#include <array>
#include <vector>

namespace shell {

// What the monitor knows of one auction slot, rebuilt from the stored files; the
// status flags and the own bid are shared with the watch-list window.
struct ScheduleSlot : store::SlotStatus {
    double AlarmAt = 0;
    double EndAt = 0;
    QString URL;
    int Budget = 0;
};

// The settings of "Total.ini" that the monitor works with.
struct ScheduleSettings {
    int LeadMinutes = 10;
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
    std::vector<std::array<ScheduleSlot, 10>> Komoku;
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
