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
    bool loaded = false;
    bool hasAlsa = false;
    Result result = Result::EngineFailure;
    int sampleRate = 0;

    // Opens espeak-ng and binds its functions; false, with nothing left open, when it is missing.
    bool openEspeak()
    {
        espeakLibrary = dlopen(kEspeakLibrary, RTLD_NOW | RTLD_LOCAL);
        if (espeakLibrary && bind(espeakLibrary, "espeak_Initialize", espeak.Initialize) &&
            bind(espeakLibrary, "espeak_SetVoiceByName", espeak.SetVoiceByName) &&
            bind(espeakLibrary, "espeak_SetSynthCallback", espeak.SetSynthCallback) &&
            bind(espeakLibrary, "espeak_SetParameter", espeak.SetParameter) &&
            bind(espeakLibrary, "espeak_Synth", espeak.Synth))
            return true;
        if (espeakLibrary)
            dlclose(espeakLibrary);
        espeakLibrary = nullptr;
        return false;
    }

    // espeak-ng is loaded once and stays: once terminated it cannot be initialised again in the
    // same process (its queue thread keeps its stop request, so the next terminate never returns),
    // and unloading it after use loses the buffers it keeps in static variables.
    void load()
    {
        loaded = true;
        if (openEspeak()) {
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
};

namespace {

// The one set of libraries of the process, and the holds on it; both under the mutex.
std::mutex holdMutex;
Voice::Libraries shared;
int holds = 0;

} // namespace

Result Voice::check()
{
    std::lock_guard lock(holdMutex);
    if (shared.loaded)
        return shared.result;
    Libraries probe;
    if (!probe.openEspeak())
        return Result::EngineFailure;
    dlclose(probe.espeakLibrary);
    return Result::Ok;
}

Voice::Voice() : m_libraries(&shared)
{
    std::lock_guard lock(holdMutex);
    ++holds;
    if (!shared.loaded)
        shared.load();
}

Voice::~Voice()
{
    std::lock_guard lock(holdMutex);
    // The configuration ALSA read, and the plugins it loaded for the device, go when nothing
    // speaks; ALSA reads them again for the next sentence.
    if (--holds == 0 && shared.hasAlsa)
        shared.alsa.config_update_free_global();
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
