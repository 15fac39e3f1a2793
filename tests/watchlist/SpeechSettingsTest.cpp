#include "watchlist/SpeechSettings.h"
#include "support/Fakes.h"
#include "watchlist/CommandStates.h"

#include <gtest/gtest.h>

using namespace testsupport;
using store::SpeakTextColor;

namespace {

class SpeechSettingsTest : public ::testing::Test {
protected:
    SpeechSettingsTest()
    {
        engine.Load(QStringLiteral("/opt/x/"));
        model.WindowReady = true;
    }

    void play() { watchlist::BtnPlayClick(model, engine, dialogs); }
    // "保存(&S)" as the window shows it.
    static bool saveEnabled(const store::WatchListModel& m)
    {
        return watchlist::DeriveCommandStates(m, {}, false).MenuSave;
    }

    FakeSpeechLibrary library;
    shell::SpeechEngine engine{library};
    FakeDialogs dialogs;
    store::WatchListModel model;
};

TEST_F(SpeechSettingsTest, DefaultSentenceGoesToTheEngineInShiftJisAtSpeed100)
{
    model.SpeakTextChecked = false;
    model.Speech.MemoSpeakTextColor = SpeakTextColor::Red;
    play();

    ASSERT_EQ(library.played.size(), 1u);
    const QByteArray expected = QByteArray::fromHex("82a8815b82ad2782b582e582f1814182a882ed82e982e68142");
    EXPECT_EQ(library.played[0].first, expected);
    EXPECT_EQ(library.played[0].second, 100);
    EXPECT_TRUE(model.SpeakTextChecked);
    EXPECT_EQ(model.Speech.MemoSpeakTextColor, SpeakTextColor::White);
    EXPECT_TRUE(saveEnabled(model));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SpeechSettingsTest, LinesOfTheTextBoxArePlayedAsOneLine)
{
    model.Speech.MemoSpeakText = QStringLiteral("おーく'しょん、\r\nおわるよ。\r\n");
    play();
    ASSERT_EQ(library.played.size(), 1u);
    EXPECT_EQ(library.played[0].first,
              QByteArray::fromHex("82a8815b82ad2782b582e582f1814182a882ed82e982e68142"));
}

TEST_F(SpeechSettingsTest, RefusedOrEmptyTextBlocksSavingOnlyWhileSpeechIsOn)
{
    library.playResult = 3;
    model.Speech.MemoSpeakText = QStringLiteral("終了するよ。");
    play();
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("再生できません。")});
    EXPECT_FALSE(model.SpeakTextChecked);
    EXPECT_EQ(model.Speech.MemoSpeakTextColor, SpeakTextColor::Red);
    EXPECT_FALSE(saveEnabled(model));

    // An empty box is refused before the engine is asked.
    library.played.clear();
    model.Speech.MemoSpeakText.clear();
    play();
    EXPECT_TRUE(library.played.empty());
    EXPECT_EQ(dialogs.shown.size(), 2u);

    // With speech off the refusal is reported but nothing else changes.
    FakeDialogs quiet;
    store::WatchListModel off;
    off.Speech.CheckBoxArarmSpeak = false;
    off.Speech.MemoSpeakText = QStringLiteral("ABC");
    watchlist::BtnPlayClick(off, engine, quiet);
    EXPECT_EQ(quiet.texts(), QStringList{QStringLiteral("再生できません。")});
    EXPECT_TRUE(off.SpeakTextChecked);
    EXPECT_EQ(off.Speech.MemoSpeakTextColor, SpeakTextColor::White);
    EXPECT_TRUE(saveEnabled(off));
}

TEST_F(SpeechSettingsTest, PlayWhileASentenceStillSoundsDoesNothing)
{
    model.SpeakTextChecked = false;
    for (const int playing : {1, 2}) {
        library.playing = playing;
        play();
        EXPECT_TRUE(library.played.empty()) << playing;
        EXPECT_TRUE(dialogs.shown.empty()) << playing;
        EXPECT_FALSE(model.SpeakTextChecked) << playing;
    }
    // While it sounds even an empty box shows nothing.
    library.playing = 1;
    model.Speech.MemoSpeakText.clear();
    play();
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SpeechSettingsTest, SwitchingSpeechOnAsksForANewTestPlay)
{
    model.Speech.CheckBoxArarmSpeak = true;
    watchlist::CheckBoxArarmSpeakClick(model);
    EXPECT_FALSE(model.SpeakTextChecked);
    EXPECT_EQ(model.Speech.MemoSpeakTextColor, SpeakTextColor::Red);
    EXPECT_FALSE(saveEnabled(model));
    EXPECT_FALSE(model.Saved);

    // Unticking after a failed test makes saving possible without a successful play.
    model.Saved = true;
    model.Speech.CheckBoxArarmSpeak = false;
    watchlist::CheckBoxArarmSpeakClick(model);
    EXPECT_TRUE(model.SpeakTextChecked);
    EXPECT_EQ(model.Speech.MemoSpeakTextColor, SpeakTextColor::White);
    EXPECT_TRUE(saveEnabled(model));
    EXPECT_FALSE(model.Saved);
}

TEST_F(SpeechSettingsTest, EditingTheSentence)
{
    // Speech off: colour and save command stay, but the window is unsaved.
    model.Speech.CheckBoxArarmSpeak = false;
    watchlist::MemoSpeakTextChange(model);
    EXPECT_TRUE(model.SpeakTextChecked);
    EXPECT_EQ(model.Speech.MemoSpeakTextColor, SpeakTextColor::White);
    EXPECT_TRUE(saveEnabled(model));
    EXPECT_FALSE(model.Saved);

    model.Saved = true;
    model.Speech.CheckBoxArarmSpeak = true;
    watchlist::MemoSpeakTextChange(model);
    EXPECT_FALSE(model.SpeakTextChecked);
    EXPECT_EQ(model.Speech.MemoSpeakTextColor, SpeakTextColor::Red);
    EXPECT_FALSE(saveEnabled(model));
    EXPECT_FALSE(model.Saved);
}

TEST_F(SpeechSettingsTest, ChangesMadeWhileTheWindowLoadsAreIgnored)
{
    model.WindowReady = false;
    watchlist::MemoSpeakTextChange(model);
    watchlist::CheckBoxArarmSpeakClick(model);
    EXPECT_TRUE(model.SpeakTextChecked);
    EXPECT_TRUE(model.Saved);
    EXPECT_TRUE(saveEnabled(model));
}

} // namespace
