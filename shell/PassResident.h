#pragma once

#include "shell/RetrievalCalls.h"
#include "shell/Schedule.h"
#include "shell/TrayNotices.h"

#include <QString>

namespace shell {

// What the price-check pass and the registration reach of the resident side: the schedule
// and the settings copy, the tray, and the reports by which the monitor keeps its state.
class PassResident : public TrayNotices {
public:
    virtual shell::Schedule& Schedule() = 0;
    virtual PriceNotice& Notice() = 0;
    virtual bool StartingUp() const = 0;
    // The data folder, with its trailing "/".
    virtual QString DataDir() const = 0;
    // The address the connectivity probe opens.
    virtual QString ProbeAddress() const = 0;

    // The probe before a pass answered; a pass follows only when it reached the Internet.
    virtual void ProbeAnswered(PassStart start, bool reached) = 0;
    // End-of-pass bookkeeping: the pass ended, failed or was stopped.
    virtual void EndKakakuCheck() = 0;
    // A page was fetched and read, or answered with an error of its own: no retry is owed.
    virtual void PageChecked() = 0;
    // The pass failed: it ends, and the tick retries it.
    virtual void PassFailed() = 0;
    // Nothing was due: the pass counts as done now.
    virtual void PassSkipped() = 0;
    // The user switched checks off during the pass.
    virtual void PassStopped() = 0;
    // Makes the next tick's 40-second test true, so that a pass follows at once.
    virtual void CheckSoon() = 0;
};

} // namespace shell
