#include "speechengine/Player.h"

#include "speechengine/AlsaSink.h"
#include "speechengine/Renderer.h"
#include "speechengine/Voice.h"

#include <algorithm>

namespace speechengine {

namespace {

constexpr auto kDeviceWait = std::chrono::milliseconds(20);
// A device that stops taking samples for this long is given up on.
constexpr auto kStallLimit = std::chrono::seconds(2);
// Lets the last samples leave the device before it is closed.
constexpr auto kTailMargin = std::chrono::milliseconds(30);

std::chrono::microseconds durationOf(std::size_t frames, int sampleRate)
{
    return std::chrono::microseconds(static_cast<long long>(frames) * 1'000'000 / sampleRate);
}

} // namespace

// The engine is looked for here, so that play can refuse at once when it is missing; it is loaded
// by the first sentence.
Player::Player() : m_engine(Voice::check()), m_worker([this] { run(); }) {}

Player::~Player()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        ++m_generation;
        m_pending.reset();
        m_playing = false;
    }
    m_wake.notify_all();
    m_worker.join();
}

Result Player::play(std::string_view cp932, int speed)
{
    if (!isValidSpeed(speed))
        return Result::BadSpeed;
    Job job;
    job.speed = speed;
    if (const Result r = parseNotation(cp932, job.utterance); r != Result::Ok)
        return r;
    if (m_engine != Result::Ok)
        return m_engine;
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(job);
        ++m_generation;
        m_playing = true;
    }
    m_wake.notify_all();
    return Result::Ok;
}

bool Player::isPlaying() const
{
    std::lock_guard lock(m_mutex);
    return m_playing;
}

void Player::stop()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_pending.reset();
        m_playing = false;
    }
    m_wake.notify_all();
}

void Player::run()
{
    // Held from a job's start until no job waits; released before the lock goes on return.
    std::optional<Voice> voice;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (voice && !m_quit && !m_pending) {
            lock.unlock();
            voice.reset();
            lock.lock();
            continue;
        }
        m_wake.wait(lock, [this] { return m_quit || m_pending.has_value(); });
        if (m_quit)
            return;
        const Job job = std::move(*m_pending);
        m_pending.reset();
        const std::uint64_t generation = m_generation;
        lock.unlock();
        if (!voice)
            voice.emplace();
        perform(job, generation);
        lock.lock();
        // A play or stop that came meanwhile owns the flag now.
        if (m_generation == generation)
            m_playing = false;
    }
}

bool Player::cancelled(std::uint64_t generation) const
{
    return m_generation.load() != generation;
}

bool Player::waitCancelled(std::uint64_t generation, Clock::time_point deadline)
{
    std::unique_lock lock(m_mutex);
    return m_wake.wait_until(lock, deadline, [&] { return cancelled(generation); });
}

void Player::perform(const Job& job, std::uint64_t generation)
{
    Pcm pcm;
    const auto isCancelled = [&] { return cancelled(generation); };
    if (render(job.utterance, job.speed, pcm, isCancelled) != Result::Ok || isCancelled() ||
        pcm.samples.empty())
        return;

    AlsaSink sink;
    if (sink.open(pcm.sampleRate)) {
        playOnDevice(sink, pcm, generation);
        return;
    }
    // No sound device: keep time as if the sound were heard.
    waitCancelled(generation, Clock::now() + durationOf(pcm.samples.size(), pcm.sampleRate));
}

void Player::playOnDevice(AlsaSink& sink, const Pcm& pcm, std::uint64_t generation)
{
    const std::size_t chunk = static_cast<std::size_t>(pcm.sampleRate) / 50; // 20 ms
    std::size_t done = 0;
    const auto started = Clock::now();
    auto lastProgress = started;
    while (done < pcm.samples.size()) {
        if (cancelled(generation))
            return;
        const std::size_t count = std::min(chunk, pcm.samples.size() - done);
        long written = sink.write(pcm.samples.data() + done, count);
        if (written == 0 && !sink.waitWritable(kDeviceWait))
            written = -1;
        if (written < 0 || Clock::now() - lastProgress > kStallLimit) {
            // The device failed midway: finish the rest silently so the timing still holds.
            sink.close();
            const auto rest = durationOf(pcm.samples.size() - done, pcm.sampleRate);
            waitCancelled(generation, Clock::now() + rest);
            return;
        }
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            lastProgress = Clock::now();
        }
    }
    // Wait for the queued tail without blocking in ALSA, so that a stop still cuts it short. A device
    // that swallows samples faster than it plays them (ALSA's null device does) is held to the
    // sound's own length.
    const auto heard = std::max(Clock::now() + sink.pending() + kTailMargin,
                                started + durationOf(pcm.samples.size(), pcm.sampleRate));
    waitCancelled(generation, heard);
    sink.close();
}

} // namespace speechengine
