#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/ShellOpen.h"
#include "platform/WindowView.h"
#include "retrieval/PriceCheckPass.h"
#include "shell/SpeechEngine.h"
#include "store/WatchListModel.h"
#include "watchlist/ResidentSide.h"

#include <QString>

namespace watchlist {

// What the watch-list window's behaviour works on: the model, the resident side, the window
// and the platform. The presenter is built from it and hands it to each of its parts.
struct PresenterParts {
    store::WatchListModel& Model;
    ResidentSide& Resident;
    platform::WindowView& View;
    platform::Dialogs& Dialogs;
    platform::Clock& Clock;
    shell::SpeechEngine& Speech;
    platform::ShellOpen& ShellOpen;
    // The price-check pass and the registration fetch, with their run state.
    retrieval::PriceCheckPass& Run;

    // The path of a stored file in the data folder.
    QString File(const QString& name) const { return Resident.DataDir() + name; }
};

} // namespace watchlist
