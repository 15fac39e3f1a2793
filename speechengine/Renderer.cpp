#include "speechengine/Renderer.h"

#include "speechengine/Voice.h"

#include <fstream>
#include <mutex>

namespace speechengine {

namespace {

constexpr int kNormalRate = espeakRATE_NORMAL; // words per minute at speed 100

struct RenderContext final {
    std::vector<std::int16_t>* samples = nullptr;
    const std::function<bool()>* cancelled = nullptr;
};

// espeak-ng keeps its state in globals: one synthesis at a time in the whole process.
std::mutex& engineMutex()
{
    static std::mutex mutex;
    return mutex;
}

int onSynth(short* wav, int count, espeak_EVENT* events)
{
    auto* context = events ? static_cast<RenderContext*>(events->user_data) : nullptr;
    if (!context)
        return 0;
    if (wav && count > 0)
        context->samples->insert(context->samples->end(), wav, wav + count);
    const bool stop = context->cancelled && *context->cancelled && (*context->cancelled)();
    return stop ? 1 : 0;
}

void putLe(std::ofstream& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

Result render(const Utterance& utterance, int speed, Pcm& out, const std::function<bool()>& cancelled)
{
    out.samples.clear();
    if (!isValidSpeed(speed))
        return Result::BadSpeed;
    const Voice voice;
    if (voice.result() != Result::Ok)
        return voice.result();
    out.sampleRate = voice.sampleRate();

    const std::string ssml = toSsml(utterance, speed);
    RenderContext context{&out.samples, &cancelled};
    std::lock_guard lock(engineMutex());
    const Voice::Espeak& espeak = voice.espeak();
    espeak.SetSynthCallback(onSynth);
    espeak.SetParameter(espeakRATE, kNormalRate * speed / kNormalSpeed, 0);
    const espeak_ERROR error = espeak.Synth(ssml.c_str(), ssml.size() + 1, 0, POS_CHARACTER, 0,
                                            espeakCHARS_UTF8 | espeakSSML, nullptr, &context);
    return error == EE_OK ? Result::Ok : Result::EngineFailure;
}

Result renderText(std::string_view cp932, int speed, Pcm& out)
{
    out.samples.clear();
    Utterance utterance;
    if (const Result r = parseNotation(cp932, utterance); r != Result::Ok)
        return r;
    return render(utterance, speed, out);
}

bool writeWav(const std::filesystem::path& path, const Pcm& pcm)
{
    constexpr std::uint32_t kHeaderRest = 36; // header bytes after the RIFF size field, data excluded
    const auto dataBytes = static_cast<std::uint32_t>(pcm.samples.size() * sizeof(std::int16_t));
    const auto rate = static_cast<std::uint32_t>(pcm.sampleRate);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write("RIFF", 4);
    putLe(out, kHeaderRest + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    putLe(out, 16, 4); // fmt chunk size
    putLe(out, 1, 2);  // PCM
    putLe(out, 1, 2);  // mono
    putLe(out, rate, 4);
    putLe(out, rate * 2, 4); // bytes per second
    putLe(out, 2, 2);        // bytes per frame
    putLe(out, 16, 2);       // bits per sample
    out.write("data", 4);
    putLe(out, dataBytes, 4);
    for (const std::int16_t s : pcm.samples)
        putLe(out, static_cast<std::uint16_t>(s), 2);
    out.flush();
    return static_cast<bool>(out);
}

} // namespace speechengine
