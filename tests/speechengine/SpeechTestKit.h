#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace speechtest {

inline constexpr std::string_view kDefaultSentence = "おーく'しょん、おわるよ。";

// UTF-8 test text to the CP932 bytes the engine takes.
std::string cp932(std::string_view utf8);
// The default sentence five times over: about six and a half seconds of speech.
std::string longText();
std::string readFile(const std::string& path);

// Median pitch in Hz of the voiced frames within [from, to) of them, as fractions; 0 when none.
double medianPitch(const std::vector<std::int16_t>& samples, int sampleRate, double from, double to);
// Share of samples that are not zero, and the root mean square of all samples.
double nonZeroShare(const std::vector<std::int16_t>& samples);
double rms(const std::vector<std::int16_t>& samples);

// The five entry points of libAquesTalkDa.so, looked up with dlsym the way the program does it.
struct Engine final {
    void* (*create)() = nullptr;
    int (*play)(void*, const char*, int, int, int, int) = nullptr;
    int (*isPlay)(void*) = nullptr;
    void (*stop)(void*) = nullptr;
    void (*release)(void*) = nullptr;
};

// The library beside the program in the build tree.
std::string libraryPath();
// Loaded once and kept for the whole run, as in the program.
const Engine& engine();
// Plays CP932 bytes the way the program calls it.
int play(void* h, const std::string& bytes, int speed = 100);

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point start);
// Seconds until the instance reports idle; negative when it still plays at the deadline.
double secondsUntilIdle(void* h, double deadlineSeconds);
// True when the instance reported playing at every look during the given time.
bool playsThroughout(void* h, double seconds);

// A fresh instance for each test, released afterwards unless the test did it.
class SpeechPlayTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { engine().release(m_handle); }
    // A long sound is cut short by stop, and by release, each within 0.2 s.
    void expectStopAndReleasePromptly();

    void* m_handle = nullptr;
};

} // namespace speechtest
