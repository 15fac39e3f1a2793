#pragma once

#include "shell/Schedule.h"

#include <QString>

namespace watchlist {

// What the watch-list window's logic needs of the resident side: its flags, the
// monitor timer, the per-slot status records, the tray and the data folder.
class ResidentSide {
public:
    virtual ~ResidentSide() = default;

    virtual bool StartingUp() const = 0;
    // The window is being shown because a fetched price changed.
    virtual bool KakakuChanged() const = 0;
    // Asks the next tick to read the stored files into the schedule again.
    virtual void RequestRebuild() = 0;
    virtual void StopMonitor() = 0;
    virtual void StartMonitor() = 0;
    // The record of slot (komoku, slot 0 to 9); null when the schedule has none.
    virtual shell::SlotStatus* Status(int komoku, int slot) = 0;
    virtual void SetTrayHint(const QString& hint) = 0;
    // The window was closed: the tray commands become usable again.
    virtual void WatchListClosed() = 0;
    // Ends the program.
    virtual void EndProgram() = 0;
    // The data folder and the program's folder, each with its trailing "/".
    virtual QString DataDir() const = 0;
    virtual QString ExeDir() const = 0;
};

} // namespace watchlist
