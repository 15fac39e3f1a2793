#include "speechengine/Notation.h"

#include <iconv.h>

#include <algorithm>
#include <optional>

namespace speechengine {

namespace {

constexpr char32_t kHiraganaFirst = U'\u3041'; // ぁ
constexpr char32_t kHiraganaLast = U'\u3094';  // ゔ
constexpr char32_t kKatakanaFirst = U'\u30A1'; // ァ
constexpr char32_t kKatakanaLast = U'\u30F4';  // ヴ
constexpr char32_t kKatakanaToHiragana = kKatakanaFirst - kHiraganaFirst;
constexpr char32_t kLongVowel = U'\u30FC';   // ー
constexpr char32_t kPause = U'\u3001';       // 、
constexpr char32_t kSentenceEnd = U'\u3002'; // 。
constexpr char32_t kQuestion = U'\uFF1F';    // ？
constexpr char32_t kAccent = U'\'';
constexpr char32_t kPhraseBreak = U'/';

// Vowel of each hiragana from ぁ to ゔ; '-' for っ and ん, which have none.
constexpr std::string_view kVowels = "aaiiuueeoo"
                                     "aaiiuueeoo"
                                     "aaiiuueeoo"
                                     "aaii-uueeoo"
                                     "aiueo"
                                     "aaaiiiuuueeeooo"
                                     "aiueo"
                                     "aauuoo"
                                     "aiueo"
                                     "aaieo-u";
static_assert(kVowels.size() == kHiraganaLast - kHiraganaFirst + 1);

constexpr char32_t kN = U'\u3093'; // ん

// Small kana that join the kana before them into one mora (っ is a mora of its own).
bool isJoiningSmall(char32_t c)
{
    switch (c) {
    case U'ぁ':
    case U'ぃ':
    case U'ぅ':
    case U'ぇ':
    case U'ぉ':
    case U'ゃ':
    case U'ゅ':
    case U'ょ':
    case U'ゎ':
        return true;
    default:
        return false;
    }
}

std::optional<char32_t> toHiragana(char32_t c)
{
    if (c >= kHiraganaFirst && c <= kHiraganaLast)
        return c;
    if (c >= kKatakanaFirst && c <= kKatakanaLast)
        return c - kKatakanaToHiragana;
    return std::nullopt;
}

void appendUtf8(std::string& out, char32_t c)
{
    // Only kana and ー reach here: all three-byte sequences.
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
}

// iconv hands back well-formed UTF-8, so no checks are needed here.
std::vector<char32_t> decodeUtf8(std::string_view s)
{
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? b : b & (0x7F >> length);
        for (int k = 1; k < length && i + k < s.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(c);
        i += length;
    }
    return out;
}

struct Mora final {
    std::string kana;
    char vowel = '-';
    bool isLongMark = false;
    bool takesSmallKana = false; // a kana with a vowel, so "ゃ" and the like can join it
};

// Collects the morae of one phrase and turns them into pitch segments.
class PhraseBuilder final {
public:
    bool addKana(char32_t hiragana, bool afterAccent)
    {
        if (isJoiningSmall(hiragana)) {
            // "き'ゃ" would put the accent inside a mora.
            if (afterAccent)
                return false;
            if (!m_morae.empty() && m_morae.back().takesSmallKana) {
                appendUtf8(m_morae.back().kana, hiragana);
                m_morae.back().vowel = kVowels[hiragana - kHiraganaFirst];
                return true;
            }
            // Alone it is read like its full-size kana; espeak-ng would spell it out.
            ++hiragana;
        }
        Mora mora;
        appendUtf8(mora.kana, hiragana);
        mora.vowel = kVowels[hiragana - kHiraganaFirst];
        mora.takesSmallKana = mora.vowel != '-';
        if (hiragana == kN)
            mora.vowel = 'n'; // "んー" lengthens the ん
        m_morae.push_back(std::move(mora));
        return true;
    }

    bool addLongMark()
    {
        if (m_morae.empty())
            return false;
        Mora mora;
        appendUtf8(mora.kana, kLongVowel);
        mora.vowel = m_morae.back().vowel;
        mora.isLongMark = true;
        m_morae.push_back(std::move(mora));
        return true;
    }

    bool addAccent()
    {
        if (m_morae.empty() || m_accent)
            return false;
        m_accent = m_morae.size();
        return true;
    }

    Phrase finish(Boundary boundary)
    {
        Phrase phrase;
        phrase.boundary = boundary;
        std::size_t end = m_morae.size();
        const bool rise = boundary == Boundary::Question && end > 0;
        if (rise)
            --end;
        if (m_accent) {
            addSegment(phrase, 0, std::min(*m_accent, end), kAccentHighPitch);
            addSegment(phrase, *m_accent, end, kAccentLowPitch);
        } else {
            addSegment(phrase, 0, end, 0);
        }
        if (rise)
            addSegment(phrase, end, end + 1, kQuestionPitch);
        m_morae.clear();
        m_accent.reset();
        return phrase;
    }

private:
    void addSegment(Phrase& phrase, std::size_t from, std::size_t to, int pitch) const
    {
        Segment segment;
        segment.pitchPercent = pitch;
        for (std::size_t i = from; i < to; ++i) {
            const Mora& mora = m_morae[i];
            if (i == from && mora.isLongMark)
                segment.kana += spokenLongMark(mora.vowel); // espeak-ng drops a leading ー
            else
                segment.kana += mora.kana;
        }
        if (!segment.kana.empty())
            phrase.segments.push_back(std::move(segment));
    }

    static std::string spokenLongMark(char vowel)
    {
        std::string out;
        switch (vowel) {
        case 'a':
            appendUtf8(out, U'あ');
            break;
        case 'i':
            appendUtf8(out, U'い');
            break;
        case 'u':
            appendUtf8(out, U'う');
            break;
        case 'e':
            appendUtf8(out, U'え');
            break;
        case 'o':
            appendUtf8(out, U'お');
            break;
        case 'n':
            appendUtf8(out, kN);
            break;
        default:
            break; // after っ there is nothing to lengthen
        }
        return out;
    }

    std::vector<Mora> m_morae;
    std::optional<std::size_t> m_accent;
};

} // namespace

Result cp932ToUtf8(std::string_view cp932, std::string& utf8)
{
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return Result::EngineFailure;
    utf8.assign(cp932.size() * 3 + 4, '\0'); // a CP932 byte never grows past three UTF-8 bytes
    char* in = const_cast<char*>(cp932.data());
    std::size_t inLeft = cp932.size();
    char* out = utf8.data();
    std::size_t outLeft = utf8.size();
    const std::size_t done = iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1) || inLeft != 0) {
        utf8.clear();
        return Result::BadEncoding;
    }
    utf8.resize(utf8.size() - outLeft);
    return Result::Ok;
}

Result parseNotation(std::string_view cp932, Utterance& out)
{
    out.phrases.clear();
    if (cp932.empty())
        return Result::EmptyText;
    if (cp932.size() > AQTK_MAX_TEXT_BYTES)
        return Result::TooLong;
    std::string utf8;
    if (const Result r = cp932ToUtf8(cp932, utf8); r != Result::Ok)
        return r;

    Utterance utterance;
    PhraseBuilder builder;
    bool afterAccent = false;
    bool anyMora = false;
    for (const char32_t c : decodeUtf8(utf8)) {
        bool ok = true;
        if (const auto kana = toHiragana(c)) {
            ok = builder.addKana(*kana, afterAccent);
            anyMora = true;
        } else if (c == kLongVowel) {
            ok = builder.addLongMark();
        } else if (c == kAccent) {
            ok = builder.addAccent();
        } else if (c == kPhraseBreak) {
            utterance.phrases.push_back(builder.finish(Boundary::PhraseBreak));
        } else if (c == kPause) {
            utterance.phrases.push_back(builder.finish(Boundary::Pause));
        } else if (c == kSentenceEnd) {
            utterance.phrases.push_back(builder.finish(Boundary::SentenceEnd));
        } else if (c == kQuestion) {
            utterance.phrases.push_back(builder.finish(Boundary::Question));
        } else {
            ok = false;
        }
        if (!ok)
            return Result::BadNotation;
        afterAccent = c == kAccent;
    }
    utterance.phrases.push_back(builder.finish(Boundary::End));
    if (!anyMora)
        return Result::BadNotation; // only marks: nothing to say
    out = std::move(utterance);
    return Result::Ok;
}

std::string toSsml(const Utterance& utterance, int speed)
{
    std::string ssml;
    const int breakMs = kPhraseBreakMs * kNormalSpeed / (speed > 0 ? speed : kNormalSpeed);
    for (const Phrase& phrase : utterance.phrases) {
        for (const Segment& segment : phrase.segments) {
            if (segment.pitchPercent == 0) {
                ssml += segment.kana;
                continue;
            }
            ssml += "<prosody pitch=\"";
            ssml += segment.pitchPercent > 0 ? "+" : "";
            ssml += std::to_string(segment.pitchPercent);
            ssml += "%\">";
            ssml += segment.kana;
            ssml += "</prosody>";
        }
        switch (phrase.boundary) {
        case Boundary::End:
            break;
        case Boundary::PhraseBreak:
            ssml += "<break time=\"" + std::to_string(breakMs) + "ms\"/>";
            break;
        // espeak-ng's Japanese voice knows the full-width marks and pauses on them.
        case Boundary::Pause:
            ssml += "、";
            break;
        case Boundary::SentenceEnd:
            ssml += "。";
            break;
        case Boundary::Question:
            ssml += "？";
            break;
        }
    }
    return ssml;
}

} // namespace speechengine
