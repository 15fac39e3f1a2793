#include "speechengine/Voice.h"

#include <dlfcn.h>

#include <mutex>

namespace speechengine {

namespace {

// The sonames the engine was built against.
constexpr const char* kEspeakLibrary = "libespeak-ng.so.1";
constexpr const char* kAlsaLibrary = "libasound.so.2";

template <typename Function> bool bind(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// ALSA prints to stderr by default, for example "cannot find card '0'" on a machine without sound.
void silentAlsaError(const char*, int, const char*, int, const char*, ...) {}

} // namespace

struct Voice::Libraries final {
    void* espeakLibrary = nullptr;
    void* alsaLibrary = nullptr;
    Espeak espeak;
    Alsa alsa;
    bool hasAlsa = false;
    Result result = Result::EngineFailure;
    int sampleRate = 0;

    void load()
    {
        espeakLibrary = dlopen(kEspeakLibrary, RTLD_NOW | RTLD_LOCAL);
        if (espeakLibrary && bind(espeakLibrary, "espeak_Initialize", espeak.Initialize) &&
            bind(espeakLibrary, "espeak_SetVoiceByName", espeak.SetVoiceByName) &&
            bind(espeakLibrary, "espeak_SetSynthCallback", espeak.SetSynthCallback) &&
            bind(espeakLibrary, "espeak_SetParameter", espeak.SetParameter) &&
            bind(espeakLibrary, "espeak_Synth", espeak.Synth) &&
            bind(espeakLibrary, "espeak_Terminate", espeak.Terminate)) {
            // DONT_EXIT: a missing data folder must not end the host program.
            const int rate =
                espeak.Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
            if (rate > 0) {
                sampleRate = rate;
                result = espeak.SetVoiceByName("ja") == EE_OK ? Result::Ok : Result::EngineFailure;
            }
        }
        alsaLibrary = dlopen(kAlsaLibrary, RTLD_NOW | RTLD_LOCAL);
        hasAlsa = alsaLibrary && bind(alsaLibrary, "snd_lib_error_set_handler", alsa.lib_error_set_handler) &&
                  bind(alsaLibrary, "snd_pcm_open", alsa.pcm_open) &&
                  bind(alsaLibrary, "snd_pcm_set_params", alsa.pcm_set_params) &&
                  bind(alsaLibrary, "snd_pcm_writei", alsa.pcm_writei) &&
                  bind(alsaLibrary, "snd_pcm_recover", alsa.pcm_recover) &&
                  bind(alsaLibrary, "snd_pcm_wait", alsa.pcm_wait) &&
                  bind(alsaLibrary, "snd_pcm_delay", alsa.pcm_delay) &&
                  bind(alsaLibrary, "snd_pcm_drop", alsa.pcm_drop) &&
                  bind(alsaLibrary, "snd_pcm_close", alsa.pcm_close) &&
                  bind(alsaLibrary, "snd_config_update_free_global", alsa.config_update_free_global);
        if (hasAlsa)
            alsa.lib_error_set_handler(silentAlsaError);
    }

    void unload()
    {
        if (sampleRate > 0)
            espeak.Terminate();
        // The configuration ALSA read, and the plugins it loaded for the device, go with it.
        if (hasAlsa)
            alsa.config_update_free_global();
        if (alsaLibrary)
            dlclose(alsaLibrary);
        if (espeakLibrary)
            dlclose(espeakLibrary);
    }
};

namespace {

// The one set of libraries of the process, and the holds on it; both under the mutex.
std::mutex holdMutex;
Voice::Libraries shared;
int holds = 0;

} // namespace

Voice::Voice() : m_libraries(&shared)
{
    std::lock_guard lock(holdMutex);
    if (holds++ == 0)
        shared.load();
}

Voice::~Voice()
{
    std::lock_guard lock(holdMutex);
    if (--holds > 0)
        return;
    shared.unload();
    shared = Libraries{};
}

Result Voice::result() const
{
    return m_libraries->result;
}

int Voice::sampleRate() const
{
    return m_libraries->sampleRate;
}

const Voice::Espeak& Voice::espeak() const
{
    return m_libraries->espeak;
}

const Voice::Alsa* Voice::alsa() const
{
    return m_libraries->hasAlsa ? &m_libraries->alsa : nullptr;
}

} // namespace speechengine
