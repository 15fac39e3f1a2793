#pragma once

#include "platform/EventLoop.h"
#include "shell/Schedule.h"
#include "store/WatchListModel.h"

#include <cstdint>
#include <vector>

namespace shell {

// Everything the rebuild reads and fills.
struct RebuildContext {
    shell::Schedule& Schedule;
    // One per category; sized with the schedule.
    std::vector<KomokuAlarm>& Alarms;
    // Receives the today/tomorrow check box and gives the window's category count; may be null.
    store::WatchListModel* Model;
    QString DataDir;
    bool StartingUp;
    // "Now" as a day count, taken once by the caller.
    double Now;
    platform::EventLoop& EventLoop;
};

// Reads "Total.ini", "SpeakMsg.txt" and the category files into the schedule. At
// start-up it first removes from the category files the auctions that ended more
// than the configured number of days ago.
void RebuildSchedule(RebuildContext& context);

// Keeps the slots of a category file whose end lies less than delDays days before
// now, renumbered from 1 in their order, with their pictures and the favourite
// following them. The file is replaced atomically.
void PruneKomokuFile(const QString& dataDir, int komoku, int delDays, double now);

// Deletes the price history of every auction that no category file holds. Nothing goes while a
// category file that is there cannot be read.
void PruneKakakuRireki(const QString& dataDir);

} // namespace shell
