#include "speechengine/AlsaSink.h"

#include <cerrno>

namespace speechengine {

namespace {

constexpr unsigned kLatencyUs = 100'000;

} // namespace

AlsaSink::~AlsaSink()
{
    close();
}

bool AlsaSink::open(int sampleRate)
{
    close();
    m_alsa = m_voice.alsa();
    if (!m_alsa)
        return false;
    snd_pcm_t* pcm = nullptr;
    if (m_alsa->pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return false;
    if (m_alsa->pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                               static_cast<unsigned>(sampleRate), 1, kLatencyUs) < 0) {
        m_alsa->pcm_close(pcm);
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
    snd_pcm_sframes_t written = m_alsa->pcm_writei(m_pcm, frames, count);
    if (written == -EAGAIN)
        return 0;
    if (written < 0) {
        // An underrun (the worker was late) or a suspend: recover once, then retry later.
        if (m_alsa->pcm_recover(m_pcm, static_cast<int>(written), 1) < 0)
            return -1;
        return 0;
    }
    return static_cast<long>(written);
}

bool AlsaSink::waitWritable(std::chrono::milliseconds timeout)
{
    if (!m_pcm)
        return false;
    const int r = m_alsa->pcm_wait(m_pcm, static_cast<int>(timeout.count()));
    return r >= 0 || m_alsa->pcm_recover(m_pcm, r, 1) >= 0;
}

std::chrono::microseconds AlsaSink::pending() const
{
    snd_pcm_sframes_t delay = 0;
    if (!m_pcm || m_sampleRate <= 0 || m_alsa->pcm_delay(m_pcm, &delay) < 0 || delay < 0)
        return std::chrono::microseconds(0);
    return std::chrono::microseconds(static_cast<long long>(delay) * 1'000'000 / m_sampleRate);
}

void AlsaSink::close()
{
    if (!m_pcm)
        return;
    m_alsa->pcm_drop(m_pcm);
    m_alsa->pcm_close(m_pcm);
    m_pcm = nullptr;
}

} // namespace speechengine
