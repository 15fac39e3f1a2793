#pragma once

#include <QString>

namespace store {

// What a slot's status record on the resident side holds beside its times.
struct SlotStatus {
    bool OverBudget = false;
    bool Ended = false;
    bool Won = false;
    int OwnBid = 0;
};

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
    virtual SlotStatus* Status(int komoku, int slot) = 0;
    virtual void SetTrayHint(const QString& hint) = 0;
    // The window was closed: the tray commands become usable again.
    virtual void WatchListClosed() = 0;
    // Ends the program.
    virtual void EndProgram() = 0;
    // The data folder with its trailing "/".
    virtual QString DataDir() const = 0;
};

} // namespace store
