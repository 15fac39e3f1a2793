#pragma once

#include "speechengine/Notation.h"
#include "speechengine/Result.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace speechengine {

// Mono 16-bit samples as espeak-ng produces them.
struct Pcm final {
    std::vector<std::int16_t> samples;
    int sampleRate = 0;

    double seconds() const { return sampleRate > 0 ? static_cast<double>(samples.size()) / sampleRate : 0.0; }
};

// Renders a checked utterance. cancelled, when given, is asked between blocks of samples and
// ends the rendering early when it returns true.
Result render(const Utterance& utterance, int speed, Pcm& out, const std::function<bool()>& cancelled = {});

// Checks and renders a CP932 text.
Result renderText(std::string_view cp932, int speed, Pcm& out);

// Writes a RIFF/WAVE file, PCM 16-bit mono. False when the file cannot be written.
bool writeWav(const std::filesystem::path& path, const Pcm& pcm);

} // namespace speechengine
