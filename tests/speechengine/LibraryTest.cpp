#include "SpeechTestKit.h"

#include "speechengine/AquesTalkDa.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

using namespace speechtest;

TEST(SpeechLibraryTest, ExportsExactlyTheFiveEntryPoints)
{
    FILE* pipe = popen(("nm -D --defined-only '" + libraryPath() + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[512];
    while (fgets(line, sizeof line, pipe)) {
        std::string address, type, name;
        std::istringstream(line) >> address >> type >> name;
        names.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(names, (std::set<std::string>{"AquesTalkDa_Create", "AquesTalkDa_IsPlay", "AquesTalkDa_Play",
                                            "AquesTalkDa_Release", "AquesTalkDa_Stop"}));
}

namespace {

// Whether espeak-ng or ALSA is mapped into this process.
bool voiceLoaded()
{
    const std::string maps = readFile("/proc/self/maps");
    return maps.find("libespeak-ng") != std::string::npos || maps.find("libasound") != std::string::npos;
}

} // namespace

TEST_F(SpeechPlayTest, PlaysTheDefaultSentenceInTheBackgroundAndLoadsNoVoiceBeforeIt)
{
    // In a process of its own, where no earlier test has spoken: the voice stays once loaded.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(voiceLoaded() ? 1 : 0), testing::ExitedWithCode(0), "")
        << "loaded by the instance alone";
    for (int sentence = 1; sentence <= 2; ++sentence) {
        const auto start = Clock::now();
        ASSERT_EQ(play(m_handle, cp932(kDefaultSentence)), AQTK_OK);
        const double call = secondsSince(start);
        EXPECT_EQ(engine().isPlay(m_handle), 1);
        EXPECT_LT(call, 0.2);
        const double idle = secondsUntilIdle(m_handle, 6.0);
        ASSERT_GE(idle, 0.0) << "still playing after 6 s";
        // Without a sound device the sentence (1.32 s rendered) is timed silently.
        EXPECT_GT(call + idle, 0.7) << "sentence " << sentence;
        RecordProperty("playing_seconds", std::to_string(call + idle));
    }
}

TEST_F(SpeechPlayTest, RefusesBadInputWithoutPlaying)
{
    EXPECT_EQ(play(m_handle, cp932("終了するよ。")), AQTK_ERR_NOTATION);
    EXPECT_EQ(play(m_handle, "Auction ends"), AQTK_ERR_NOTATION);
    EXPECT_EQ(play(m_handle, "\x82\xa8\x82"), AQTK_ERR_ENCODING);
    EXPECT_EQ(play(m_handle, ""), AQTK_ERR_EMPTY);
    EXPECT_EQ(engine().play(m_handle, nullptr, 100, 0, 0, 0), AQTK_ERR_EMPTY);
    EXPECT_EQ(play(m_handle, cp932(kDefaultSentence), AQTK_SPEED_MIN - 1), AQTK_ERR_SPEED);
    EXPECT_EQ(play(m_handle, cp932(kDefaultSentence), AQTK_SPEED_MAX + 1), AQTK_ERR_SPEED);
    EXPECT_EQ(engine().isPlay(m_handle), 0);

    EXPECT_EQ(play(nullptr, cp932(kDefaultSentence)), AQTK_ERR_HANDLE);
    EXPECT_EQ(engine().isPlay(nullptr), 0);
    engine().stop(nullptr);
    engine().release(nullptr);

    // A refusal leaves the sound that is playing alone.
    ASSERT_EQ(play(m_handle, longText()), AQTK_OK);
    EXPECT_EQ(play(m_handle, cp932("終了")), AQTK_ERR_NOTATION);
    EXPECT_TRUE(playsThroughout(m_handle, 0.5));
}

TEST_F(SpeechPlayTest, NewPlayReplacesTheSoundPlaying)
{
    ASSERT_EQ(play(m_handle, longText()), AQTK_OK);
    ASSERT_TRUE(playsThroughout(m_handle, 1.0));
    ASSERT_EQ(play(m_handle, cp932("あ")), AQTK_OK);
    EXPECT_EQ(engine().isPlay(m_handle), 1);
    // The long text had over five seconds to go; the short one ends well before.
    const double idle = secondsUntilIdle(m_handle, 6.0);
    EXPECT_GE(idle, 0.0);
    EXPECT_LT(idle, 1.5);
}

TEST_F(SpeechPlayTest, StopAndReleaseCutALongSoundShort)
{
    expectStopAndReleasePromptly();
}

TEST(SpeechLibraryTest, PrintsNothingOnTheConsole)
{
    const Engine& e = engine();
    testsupport::ScratchDir scratch;
    const std::string capture = scratch.file(QStringLiteral("console.txt")).toStdString();
    std::fflush(nullptr);
    const int savedOut = dup(STDOUT_FILENO);
    const int savedErr = dup(STDERR_FILENO);
    const int file = open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    dup2(file, STDOUT_FILENO);
    dup2(file, STDERR_FILENO);

    // Loading espeak-ng and looking for a sound card both like to talk (ctest runs each test in a
    // process of its own, so this is the first load).
    void* h = e.create();
    const int played = play(h, cp932(kDefaultSentence));
    const double idle = secondsUntilIdle(h, 6.0);
    const int refused = play(h, cp932("漢字"));
    e.release(h);

    std::fflush(nullptr);
    dup2(savedOut, STDOUT_FILENO);
    dup2(savedErr, STDERR_FILENO);
    close(savedOut);
    close(savedErr);
    close(file);
    EXPECT_EQ(played, AQTK_OK);
    EXPECT_GE(idle, 0.0);
    EXPECT_NE(refused, AQTK_OK);
    EXPECT_EQ(readFile(capture), "");
}
