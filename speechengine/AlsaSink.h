#pragma once

#include "speechengine/Voice.h"

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace speechengine {

// The default ALSA playback device, non-blocking so that a caller can give up at any time.
class AlsaSink final {
public:
    AlsaSink() = default;
    ~AlsaSink();
    AlsaSink(const AlsaSink&) = delete;
    AlsaSink& operator=(const AlsaSink&) = delete;

    // False when there is no usable device; ALSA's own messages are kept off the console.
    bool open(int sampleRate);

    // Queues as many frames as fit now: the count queued, 0 when the device is full, -1 on failure.
    long write(const std::int16_t* frames, std::size_t count);

    // Waits until the device takes more frames or timeout passes; false when the device failed.
    bool waitWritable(std::chrono::milliseconds timeout);

    // Sound queued but not yet heard.
    std::chrono::microseconds pending() const;

    // Discards what is queued and closes the device.
    void close();

private:
    // ALSA stays loaded while the sink lives.
    Voice m_voice;
    const Voice::Alsa* m_alsa = nullptr;
    snd_pcm_t* m_pcm = nullptr;
    int m_sampleRate = 0;
};

} // namespace speechengine
