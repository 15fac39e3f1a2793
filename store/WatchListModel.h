#pragma once

#include <QString>

namespace store {

// The colour of the speech text box: red while a changed sentence has not been tried out.
enum class SpeakTextColor { White, Red };

// The speech controls of the general page.
struct SpeechControls {
    bool CheckBoxArarmSpeak = true;
    QString MemoSpeakText;
    SpeakTextColor MemoSpeakTextColor = SpeakTextColor::White;
};

// The state of the watch-list window that the logic decides and the window renders.
struct WatchListModel {
    WatchListModel();

    // Window flags shared with the resident side.
    bool Saved = true;
    bool KakakuChecking = false;
    bool Rearranging = false;
    bool KakakuCheckRequest = false;
    bool Registering = false;
    bool Fetching = false;
    bool PopupOpen = false;
    bool SpeakTextChecked = true;
    bool WindowReady = false;

    // Enabled state of the menu item "保存(&S)".
    bool MenuSaveEnabled = true;

    SpeechControls Speech;
};

// The sentence the speech text box starts with.
QString DefaultSpeakText();

} // namespace store
