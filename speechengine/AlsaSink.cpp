#include "speechengine/AlsaSink.h"

#include <alsa/asoundlib.h>

#include <cerrno>
#include <mutex>

namespace speechengine {

namespace {

constexpr unsigned kLatencyUs = 100'000;

// ALSA prints to stderr by default, for example "cannot find card '0'" on a machine without sound.
void silentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void silenceAlsa()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(silentAlsaError); });
}

} // namespace

AlsaSink::~AlsaSink()
{
    close();
}

bool AlsaSink::open(int sampleRate)
{
    close();
    silenceAlsa();
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return false;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                           static_cast<unsigned>(sampleRate), 1, kLatencyUs) < 0) {
        snd_pcm_close(pcm);
        return false;
    }
    m_pcm = pcm;
    m_sampleRate = sampleRate;
    return true;
}

long AlsaSink::write(const std::int16_t* frames, std::size_t count)
{
    if (!m_pcm)
        return -1;
    snd_pcm_sframes_t written = snd_pcm_writei(m_pcm, frames, count);
    if (written == -EAGAIN)
        return 0;
    if (written < 0) {
        // An underrun (the worker was late) or a suspend: recover once, then retry later.
        if (snd_pcm_recover(m_pcm, static_cast<int>(written), 1) < 0)
            return -1;
        return 0;
    }
    return static_cast<long>(written);
}

bool AlsaSink::waitWritable(std::chrono::milliseconds timeout)
{
    if (!m_pcm)
        return false;
    const int r = snd_pcm_wait(m_pcm, static_cast<int>(timeout.count()));
    return r >= 0 || snd_pcm_recover(m_pcm, r, 1) >= 0;
}

std::chrono::microseconds AlsaSink::pending() const
{
    snd_pcm_sframes_t delay = 0;
    if (!m_pcm || m_sampleRate <= 0 || snd_pcm_delay(m_pcm, &delay) < 0 || delay < 0)
        return std::chrono::microseconds(0);
    return std::chrono::microseconds(static_cast<long long>(delay) * 1'000'000 / m_sampleRate);
}

void AlsaSink::close()
{
    if (!m_pcm)
        return;
    snd_pcm_drop(m_pcm);
    snd_pcm_close(m_pcm);
    m_pcm = nullptr;
}

} // namespace speechengine
