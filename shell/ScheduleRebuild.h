#pragma once

#include "platform/EventLoop.h"
#include "shell/Schedule.h"
#include "store/WatchListModel.h"

#include <cstdint>
#include <vector>

namespace shell {

// Everything the rebuild reads and fills.
struct RebuildContext {
    Schedule& schedule;
    std::vector<bool>& alarmLatch;
    std::vector<std::uint32_t>& alarmLatchTime;
    // Receives the stored category count and the today/tomorrow check box; may be null.
    store::WatchListModel* model;
    QString dataDir;
    bool startingUp;
    // "Now" as a day count, taken once by the caller.
    double now;
    platform::EventLoop& eventLoop;
};

// Reads "Total.ini", "SpeakMsg.txt" and the category files into the schedule. At
// start-up it first removes from the category files the auctions that ended more
// than the configured number of days ago.
void RebuildSchedule(RebuildContext& context);

// Keeps the slots of a category file whose end lies less than delDays days before
// now, renumbered from 1 in their order, with their pictures and the favourite
// following them. The file is replaced atomically.
void PruneKomokuFile(const QString& dataDir, int komoku, int delDays, double now);

} // namespace shell
