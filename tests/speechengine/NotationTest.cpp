#include "SpeechTestKit.h"

#include "speechengine/Notation.h"

#include <gtest/gtest.h>

using namespace speechengine;
using speechtest::cp932;

namespace {

Result check(const std::string& bytes)
{
    Utterance utterance;
    return parseNotation(bytes, utterance);
}

// Segments as "kana" plus "+" (before the accent), "-" (after it) or "?" (question rise),
// separated by " ", phrases by " | ".
std::string layout(std::string_view utf8)
{
    Utterance u;
    EXPECT_EQ(parseNotation(cp932(utf8), u), Result::Ok) << utf8;
    std::string out;
    for (const Phrase& phrase : u.phrases) {
        out += out.empty() ? "" : " | ";
        for (const Segment& s : phrase.segments) {
            const int p = s.pitchPercent;
            out += (&s == phrase.segments.data() ? "" : " ") + s.kana +
                   (p == kAccentHighPitch  ? "+"
                    : p == kAccentLowPitch ? "-"
                    : p == kQuestionPitch  ? "?"
                                           : "");
        }
    }
    return out;
}

} // namespace

TEST(SpeechNotationTest, AcceptsTheNotation)
{
    // The default sentence written out by hand, so that a wrong code page cannot agree with cp932().
    EXPECT_EQ(check("\x82\xa8\x81\x5b\x82\xad\x27\x82\xb5\x82\xe5\x82\xf1\x81\x41\x82\xa8\x82\xed\x82\xe9\x82"
                    "\xe6\x81\x42"),
              Result::Ok);
    for (const char* text :
         {"オークション、オワルヨ？", "きょー/は'れ/でしょ？", "ヴァイオリン。", "ぁぃぅぇぉゃゅょっゎ",
          "ァィゥェォャュョッヮ", "がぎぐげご、ぱぴぷぺぽ。", "んー", "あ'め/あ'め", "/あ/"})
        EXPECT_EQ(check(cp932(text)), Result::Ok) << text;
}

TEST(SpeechNotationTest, RefusesEverythingElse)
{
    for (const char* text : {"終了するよ。", "おわるよabc", "123", "おわる よ", "おわるよ！", "おわる～",
                             "ｵｰｸｼｮﾝ", "おわる’よ", "おわる／よ", "おわる\nよ"})
        EXPECT_EQ(check(cp932(text)), Result::BadNotation) << text;
    // Marks out of place: an accent with no mora before it, two in a phrase, one inside a mora;
    // a long-vowel mark with nothing to lengthen; marks and nothing to say.
    for (const char* text : {"'あめ", "あ''め", "あ'め'", "き'ゃく", "ーあ", "あめ、ーあ", "、。", "/"})
        EXPECT_EQ(check(cp932(text)), Result::BadNotation) << text;

    EXPECT_EQ(check(""), Result::EmptyText);
    EXPECT_EQ(check("\x82\xa8\x82"), Result::BadEncoding); // lead byte without its trail byte
    EXPECT_EQ(check("\x82\xa8\x80"), Result::BadEncoding); // 0x80 is unassigned in CP932
    EXPECT_EQ(check("\xff\x82\xa8"), Result::BadEncoding);
    EXPECT_NE(check("おわるよ"), Result::Ok); // UTF-8 is not CP932

    std::string longest;
    while (longest.size() + 2 <= AQTK_MAX_TEXT_BYTES)
        longest += cp932("あ");
    EXPECT_EQ(check(longest), Result::Ok);
    EXPECT_EQ(check(longest + cp932("あ")), Result::TooLong);
}

TEST(SpeechNotationTest, MarksBecomePitchAndPhrases)
{
    EXPECT_EQ(layout(speechtest::kDefaultSentence), "おーく+ しょん- | おわるよ | ");
    EXPECT_EQ(layout("あ'め/あめ"), "あ+ め- | あめ"); // an accent counts in its own phrase only
    // A question raises its whole last mora, small kana included.
    EXPECT_EQ(layout("おわるの？"), "おわる の? | ");
    EXPECT_EQ(layout("でしょ？"), "で しょ? | ");
}

TEST(SpeechNotationTest, KeepsEveryMoraSpeakableForTheVoice)
{
    EXPECT_EQ(layout("オークション"), "おーくしょん"); // handed on as hiragana
    // espeak-ng drops a ー that starts a run of kana: it becomes the vowel it lengthens.
    EXPECT_EQ(layout("ら'ーめん"), "ら+ あめん-");
    EXPECT_EQ(layout("そーなんー？"), "そーなん ん? | ");
    EXPECT_EQ(layout("きぇー？"), "きぇ え? | ");
    // espeak-ng spells out a lone small kana as "Japanese letter": it is spoken full size.
    EXPECT_EQ(layout("ぁ"), "あ");
}
