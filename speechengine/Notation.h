#pragma once

#include "speechengine/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace speechengine {

// Pitch offsets, in percent of the voice's normal pitch.
inline constexpr int kAccentHighPitch = 20; // up to the accented mora
inline constexpr int kAccentLowPitch = -20; // after the accented mora
inline constexpr int kQuestionPitch = 40;   // last mora before "？"

// Silence for "/" at normal speed; espeak-ng's own pause for "、" is longer.
inline constexpr int kPhraseBreakMs = 60;

// A run of kana spoken at one pitch.
struct Segment final {
    std::string kana; // UTF-8 hiragana, ready for espeak-ng
    int pitchPercent = 0;
};

// What closes a phrase.
enum class Boundary { End, PhraseBreak, Pause, SentenceEnd, Question };

struct Phrase final {
    std::vector<Segment> segments;
    Boundary boundary = Boundary::End;
};

// A checked text, cut into phrases at "/", "、", "。" and "？".
struct Utterance final {
    std::vector<Phrase> phrases;
};

// CP932 (Microsoft Shift_JIS) to UTF-8 through iconv; BadEncoding on invalid or truncated bytes.
Result cp932ToUtf8(std::string_view cp932, std::string& utf8);

// Checks a CP932 text against the notation and cuts it into phrases.
Result parseNotation(std::string_view cp932, Utterance& out);

// The espeak-ng input (UTF-8 with SSML prosody and break elements) for an utterance.
std::string toSsml(const Utterance& utterance, int speed);

} // namespace speechengine
