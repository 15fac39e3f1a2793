#include "SpeechTestKit.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace speechtest;
namespace fs = std::filesystem;

namespace {

// Points ALSA's "default" device at its file plugin over the null device before the engine opens
// anything: every sample the engine plays lands in a raw file.
class RecordingDevice final : public ::testing::Environment {
public:
    void SetUp() override
    {
        char pattern[] = "/tmp/speech-device-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        s_dir = pattern;
        std::ofstream(s_dir / "asound.conf")
            << "pcm.!default {\n type file\n slave.pcm { type null }\n file \"" << recording().string()
            << "\"\n format \"raw\"\n}\n";
        setenv("ALSA_CONFIG_PATH", (s_dir / "asound.conf").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(s_dir); }

    static fs::path recording() { return s_dir / "played.raw"; }

private:
    static inline fs::path s_dir;
};

[[maybe_unused]] const auto* const g_device = ::testing::AddGlobalTestEnvironment(new RecordingDevice);

} // namespace

TEST_F(SpeechPlayTest, SentenceReachesTheDeviceAndPlayingLastsAsLongAsIt)
{
    const auto start = Clock::now();
    ASSERT_EQ(play(m_handle, cp932(kDefaultSentence)), 0);
    const double call = secondsSince(start);
    EXPECT_EQ(engine().isPlay(m_handle), 1);
    EXPECT_LT(call, 0.2);
    const double idle = secondsUntilIdle(m_handle, 6.0);
    ASSERT_GE(idle, 0.0);
    RecordProperty("playing_seconds", std::to_string(call + idle));

    engine().release(m_handle); // closes the device, so the recording is complete
    m_handle = nullptr;
    const std::string bytes = readFile(RecordingDevice::recording());
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    const double seconds = double(samples.size()) / 22050;
    RecordProperty("recorded_seconds", std::to_string(seconds));
    EXPECT_GT(seconds, 0.7);
    EXPECT_LT(seconds, 5.0);
    EXPECT_GT(nonZeroShare(samples), 0.5);
    EXPECT_GT(rms(samples), 1000.0);
    // The null device swallows samples at once, yet playing lasts the sound and not much longer.
    EXPECT_GT(call + idle, seconds - 0.05);
    EXPECT_LT(call + idle, seconds + 0.5);
}

TEST_F(SpeechPlayTest, StopAndReleaseCutTheDeviceShort)
{
    expectStopAndReleasePromptly();
}
