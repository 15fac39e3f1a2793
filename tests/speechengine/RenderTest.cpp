#include "SpeechTestKit.h"

#include "speechengine/Renderer.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace speechengine;
using speechtest::cp932;

namespace {

// The canonical 44-byte header; every field is naturally aligned, so no packing is needed.
struct WavHeader final {
    char riff[4];
    std::uint32_t riffSize;
    char waveFmt[8];
    std::uint32_t fmtSize;
    std::uint16_t format, channels;
    std::uint32_t rate, byteRate;
    std::uint16_t blockAlign, bits;
    char data[4];
    std::uint32_t dataSize;
};
static_assert(sizeof(WavHeader) == 44);

Pcm rendered(std::string_view utf8, int speed = 100)
{
    Pcm pcm;
    EXPECT_EQ(renderText(cp932(utf8), speed, pcm), Result::Ok) << utf8;
    return pcm;
}

double pitch(const Pcm& pcm, double from, double to)
{
    return speechtest::medianPitch(pcm.samples, pcm.sampleRate, from, to);
}

} // namespace

TEST(SpeechRenderTest, DefaultSentenceBecomesAWavFileOfSpeech)
{
    const Pcm pcm = rendered(speechtest::kDefaultSentence);
    testsupport::ScratchDir scratch;
    const std::string path = scratch.file(QStringLiteral("default.wav")).toStdString();
    ASSERT_TRUE(writeWav(path, pcm));
    EXPECT_FALSE(writeWav(scratch.file(QStringLiteral("missing/a.wav")).toStdString(), pcm));

    std::ifstream in(path, std::ios::binary);
    const std::string wav((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WavHeader h{};
    ASSERT_GE(wav.size(), sizeof h);
    std::memcpy(&h, wav.data(), sizeof h);
    EXPECT_EQ(std::string(h.riff, 4) + std::string(h.waveFmt, 8) + std::string(h.data, 4),
              "RIFFWAVEfmt data");
    EXPECT_EQ(h.riffSize, wav.size() - 8);
    EXPECT_EQ(h.fmtSize, 16u);
    EXPECT_EQ(h.format, 1u); // PCM
    EXPECT_EQ(h.channels, 1u);
    EXPECT_EQ(h.rate, 22050u); // espeak-ng's output rate
    EXPECT_EQ(h.byteRate, h.rate * 2);
    EXPECT_EQ(h.blockAlign, 2u);
    EXPECT_EQ(h.bits, 16u);
    ASSERT_EQ(h.dataSize, wav.size() - sizeof h);

    std::vector<std::int16_t> samples(h.dataSize / 2);
    std::memcpy(samples.data(), wav.data() + sizeof h, h.dataSize);
    EXPECT_EQ(samples, pcm.samples);
    const double seconds = double(samples.size()) / h.rate;
    RecordProperty("seconds", std::to_string(seconds)); // 1.32 s when written
    EXPECT_GT(seconds, 0.7);
    EXPECT_LT(seconds, 5.0);
    EXPECT_GT(speechtest::nonZeroShare(samples), 0.5);
    EXPECT_GT(speechtest::rms(samples), 1000.0);
}

TEST(SpeechRenderTest, LengthFollowsTextBreaksAndSpeed)
{
    const double one = rendered("おわるよ。").seconds();
    const double two = rendered("おーく'しょん、おわるよ。").seconds();
    const double three = rendered("おーく'しょん、おわるよ。はやく/にゅーさつ/してね。").seconds();
    EXPECT_GT(two, one + 0.3);
    EXPECT_GT(three, two + 0.5);

    // "/" < "、" < "。" (when written: +0.08 s, +0.21 s, +0.37 s over no break at all).
    const double plain = rendered("おーくしょんおわるよ").seconds();
    const double phraseBreak = rendered("おーくしょん/おわるよ").seconds();
    const double pause = rendered("おーくしょん、おわるよ").seconds();
    const double sentence = rendered("おーくしょん。おわるよ").seconds();
    EXPECT_GT(phraseBreak, plain + 0.05);
    EXPECT_GT(pause, phraseBreak + 0.05);
    EXPECT_GT(sentence, pause + 0.05);

    const double normal = rendered(speechtest::kDefaultSentence).seconds();
    const double slowest = rendered(speechtest::kDefaultSentence, AQTK_SPEED_MIN).seconds();
    const double fast = rendered(speechtest::kDefaultSentence, 200).seconds();
    const double fastest = rendered(speechtest::kDefaultSentence, AQTK_SPEED_MAX).seconds();
    EXPECT_GT(slowest, normal * 1.5);
    EXPECT_LT(fast, normal * 0.7);
    EXPECT_LT(fastest, fast);
    EXPECT_GT(fastest, 0.1);
}

TEST(SpeechRenderTest, PitchFollowsAccentAndQuestion)
{
    // Median pitch over the first and last 40% of the voiced frames.
    const Pcm accented = rendered("おーく'しょん");
    const Pcm flat = rendered("おーくしょん");
    RecordProperty("accented", std::to_string(pitch(accented, 0, 0.4)) + " -> " +
                                   std::to_string(pitch(accented, 0.6, 1)));
    ASSERT_GT(pitch(accented, 0.6, 1), 0.0);
    ASSERT_GT(pitch(flat, 0.6, 1), 0.0);
    EXPECT_GT(pitch(accented, 0, 0.4) / pitch(accented, 0.6, 1), 1.2); // 1.35 when written
    EXPECT_LT(pitch(flat, 0, 0.4) / pitch(flat, 0.6, 1), 1.1);         // 0.98

    const Pcm question = rendered("おわるの？");
    const Pcm statement = rendered("おわるの。");
    EXPECT_GT(pitch(question, 0.7, 1), pitch(statement, 0.7, 1) * 1.15); // 130 Hz against 95 Hz
}

TEST(SpeechRenderTest, RefusedInputRendersNothing)
{
    Pcm pcm;
    EXPECT_EQ(renderText(cp932("終了するよ。"), 100, pcm), Result::BadNotation);
    EXPECT_TRUE(pcm.samples.empty());
    for (const int speed : {AQTK_SPEED_MIN - 1, AQTK_SPEED_MAX + 1, 0}) {
        EXPECT_EQ(renderText(cp932(speechtest::kDefaultSentence), speed, pcm), Result::BadSpeed) << speed;
        EXPECT_TRUE(pcm.samples.empty());
    }
}
