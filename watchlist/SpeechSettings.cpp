#include "watchlist/SpeechSettings.h"

namespace watchlist {

namespace {

void SetSpeakTextChecked(store::WatchListModel& model, bool checked)
{
    model.SpeakTextChecked = checked;
    model.Speech.MemoSpeakTextColor = checked ? store::SpeakTextColor::White : store::SpeakTextColor::Red;
}

void RefusePlay(store::WatchListModel& model, platform::Dialogs& dialogs)
{
    dialogs.showMessage(QStringLiteral("再生できません。"));
    if (model.Speech.CheckBoxArarmSpeak)
        SetSpeakTextChecked(model, false);
}

} // namespace

void BtnPlayClick(store::WatchListModel& model, shell::SpeechEngine& engine, platform::Dialogs& dialogs)
{
    if (engine.IsPlay() == 1)
        return;
    if (model.Speech.MemoSpeakText.isEmpty()) {
        RefusePlay(model, dialogs);
        return;
    }
    if (engine.IsPlay() != 0)
        return;
    if (engine.Play(model.Speech.MemoSpeakText) == 0)
        SetSpeakTextChecked(model, true);
    else
        RefusePlay(model, dialogs);
}

void CheckBoxArarmSpeakClick(store::WatchListModel& model)
{
    if (!model.WindowReady)
        return;
    // Switching speech on asks for a new test play before the settings can be saved.
    SetSpeakTextChecked(model, !model.Speech.CheckBoxArarmSpeak);
    model.Saved = false;
}

void MemoSpeakTextChange(store::WatchListModel& model)
{
    if (!model.WindowReady)
        return;
    if (model.Speech.CheckBoxArarmSpeak)
        SetSpeakTextChecked(model, false);
    model.Saved = false;
}

} // namespace watchlist
