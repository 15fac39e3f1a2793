#pragma once

#include "speechengine/Result.h"

#include <alsa/asoundlib.h>
#include <espeak-ng/speak_lib.h>

namespace speechengine {

// espeak-ng with its Japanese voice, and ALSA: loaded by the first hold and kept for the rest of
// the process, so that a program that never speaks never maps them. ALSA's configuration is
// freed when the last hold ends. Holds may be taken on any thread and nest.
class Voice final {
public:
    struct Espeak final {
        decltype(&espeak_Initialize) Initialize = nullptr;
        decltype(&espeak_SetVoiceByName) SetVoiceByName = nullptr;
        decltype(&espeak_SetSynthCallback) SetSynthCallback = nullptr;
        decltype(&espeak_SetParameter) SetParameter = nullptr;
        decltype(&espeak_Synth) Synth = nullptr;
    };
    struct Alsa final {
        decltype(&snd_lib_error_set_handler) lib_error_set_handler = nullptr;
        decltype(&snd_pcm_open) pcm_open = nullptr;
        decltype(&snd_pcm_set_params) pcm_set_params = nullptr;
        decltype(&snd_pcm_writei) pcm_writei = nullptr;
        decltype(&snd_pcm_recover) pcm_recover = nullptr;
        decltype(&snd_pcm_wait) pcm_wait = nullptr;
        decltype(&snd_pcm_delay) pcm_delay = nullptr;
        decltype(&snd_pcm_drop) pcm_drop = nullptr;
        decltype(&snd_pcm_close) pcm_close = nullptr;
        decltype(&snd_config_update_free_global) config_update_free_global = nullptr;
    };

    // Ok when espeak-ng opens, without loading it for good: the result of the load once there was one.
    static Result check();

    Voice();
    ~Voice();
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    // Ok when espeak-ng and the Japanese voice are ready.
    Result result() const;
    int sampleRate() const;
    // Valid while the hold lasts and result() is Ok.
    const Espeak& espeak() const;
    // Null without ALSA: the sound then plays silently.
    const Alsa* alsa() const;

    // The loaded libraries, one set for the whole process.
    struct Libraries;

private:
    Libraries* m_libraries;
};

} // namespace speechengine
