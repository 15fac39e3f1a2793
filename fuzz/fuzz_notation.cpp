// The speech notation parser: any CP932 bytes are accepted or refused with a result code;
// an accepted text makes SSML at every speed.
#include "speechengine/Notation.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    speechengine::Utterance utterance;
    if (speechengine::parseNotation(text, utterance) != speechengine::Result::Ok)
        return 0;
    for (const int speed : {50, speechengine::kNormalSpeed, 300})
        if (speechengine::toSsml(utterance, speed).empty())
            std::abort();
    return 0;
}
