#pragma once

#include "platform/Dialogs.h"
#include "shell/SpeechEngine.h"
#include "store/WatchListModel.h"

namespace watchlist {

// The speech controls of the general page: a changed sentence must be tried out
// with "再生" before the settings can be saved while speech is on.

// "再生": plays the text box's sentence.
void BtnPlayClick(store::WatchListModel& model, shell::SpeechEngine& engine, platform::Dialogs& dialogs);
// The speech check box has been clicked; its new state is in the model.
void CheckBoxArarmSpeakClick(store::WatchListModel& model);
// The sentence has been edited; the new text is in the model.
void MemoSpeakTextChange(store::WatchListModel& model);

} // namespace watchlist
