#include "SpeechTestKit.h"

#include "support/ScratchDir.h"

#include <dlfcn.h>
#include <iconv.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <thread>

namespace speechtest {

std::string cp932(std::string_view utf8)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* o = out.data();
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &o, &outLeft), std::size_t(-1)) << "not in CP932: " << utf8;
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string longText()
{
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += kDefaultSentence;
    return cp932(text);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Pitch of one 30 ms frame by autocorrelation over 60..400 Hz; 0 when quiet or not periodic.
static double framePitch(const std::int16_t* x, int sampleRate)
{
    const int frame = sampleRate * 3 / 100, minLag = sampleRate / 400, maxLag = sampleRate / 60;
    std::vector<double> corr(maxLag + 1, 0.0);
    for (int lag = 0; lag <= maxLag; lag = lag == 0 ? minLag : lag + 1)
        for (int i = 0; i < frame; ++i)
            corr[lag] += double(x[i]) * x[i + lag];
    const double best = *std::max_element(corr.begin() + minLag, corr.end());
    if (std::sqrt(corr[0] / frame) < 400 || best < 0.4 * corr[0])
        return 0.0;
    // The first peak near the best, so that a doubled period does not halve the pitch.
    for (int lag = minLag; lag < maxLag; ++lag)
        if (corr[lag] >= 0.85 * best && corr[lag] >= corr[lag + 1])
            return double(sampleRate) / lag;
    return 0.0;
}

double medianPitch(const std::vector<std::int16_t>& samples, int sampleRate, double from, double to)
{
    std::vector<double> voiced;
    const std::size_t frame = sampleRate * 3 / 100, span = frame + sampleRate / 60 + 1;
    for (std::size_t start = 0; start + span <= samples.size(); start += frame)
        if (const double f0 = framePitch(samples.data() + start, sampleRate); f0 > 0)
            voiced.push_back(f0);
    std::vector<double> part(voiced.begin() + std::size_t(from * voiced.size()),
                             voiced.begin() + std::size_t(to * voiced.size()));
    if (part.empty())
        return 0.0;
    std::nth_element(part.begin(), part.begin() + part.size() / 2, part.end());
    return part[part.size() / 2];
}

double nonZeroShare(const std::vector<std::int16_t>& samples)
{
    return samples.empty()
               ? 0.0
               : double(samples.size() - std::count(samples.begin(), samples.end(), 0)) / samples.size();
}

double rms(const std::vector<std::int16_t>& samples)
{
    double sum = 0.0;
    for (const std::int16_t s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0.0 : std::sqrt(sum / samples.size());
}

std::string libraryPath()
{
    return testsupport::binDir().toStdString() + "/libAquesTalkDa.so";
}

const Engine& engine()
{
    static const Engine loaded = [] {
        Engine e;
        void* lib = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(lib, nullptr) << dlerror();
        const auto find = [lib](const char* name) { return lib ? dlsym(lib, name) : nullptr; };
        e.create = reinterpret_cast<decltype(e.create)>(find("AquesTalkDa_Create"));
        e.play = reinterpret_cast<decltype(e.play)>(find("AquesTalkDa_Play"));
        e.isPlay = reinterpret_cast<decltype(e.isPlay)>(find("AquesTalkDa_IsPlay"));
        e.stop = reinterpret_cast<decltype(e.stop)>(find("AquesTalkDa_Stop"));
        e.release = reinterpret_cast<decltype(e.release)>(find("AquesTalkDa_Release"));
        return e;
    }();
    return loaded;
}

int play(void* h, const std::string& bytes, int speed)
{
    return engine().play(h, bytes.c_str(), speed, 0, 0, 0);
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double secondsUntilIdle(void* h, double deadlineSeconds)
{
    const auto start = Clock::now();
    while (engine().isPlay(h) != 0) {
        if (secondsSince(start) > deadlineSeconds)
            return -1.0;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return secondsSince(start);
}

bool playsThroughout(void* h, double seconds)
{
    for (const auto start = Clock::now(); secondsSince(start) < seconds;) {
        if (engine().isPlay(h) != 1)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void SpeechPlayTest::SetUp()
{
    const Engine& e = engine();
    ASSERT_TRUE(e.create && e.play && e.isPlay && e.stop && e.release);
    m_handle = e.create();
    ASSERT_NE(m_handle, nullptr);
}

void SpeechPlayTest::expectStopAndReleasePromptly()
{
    for (const bool release : {false, true}) {
        ASSERT_EQ(play(m_handle, longText()), 0);
        ASSERT_TRUE(playsThroughout(m_handle, 0.3));
        const auto start = Clock::now();
        release ? engine().release(m_handle) : engine().stop(m_handle);
        EXPECT_LT(secondsSince(start), 0.2) << (release ? "release" : "stop");
        if (release)
            m_handle = nullptr;
        else
            EXPECT_EQ(engine().isPlay(m_handle), 0);
    }
}

} // namespace speechtest
