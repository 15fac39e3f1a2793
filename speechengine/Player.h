#pragma once

#include "speechengine/Notation.h"
#include "speechengine/Result.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

namespace speechengine {

class AlsaSink;
struct Pcm;

// Speaks texts one at a time on a worker thread of its own. A new play replaces the sound
// that is playing. Without a sound device the sound plays silently for its full length.
class Player final {
public:
    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Checks the text at once and, when it is accepted, hands it to the worker.
    Result play(std::string_view cp932, int speed);
    // True from an accepted play until its sound is over or stopped.
    bool isPlaying() const;
    void stop();

private:
    struct Job final {
        Utterance utterance;
        int speed = kNormalSpeed;
    };
    using Clock = std::chrono::steady_clock;

    void run();
    void perform(const Job& job, std::uint64_t generation);
    void playOnDevice(AlsaSink& sink, const Pcm& pcm, std::uint64_t generation);
    bool cancelled(std::uint64_t generation) const;
    // Waits until deadline; true when the job was cancelled meanwhile.
    bool waitCancelled(std::uint64_t generation, Clock::time_point deadline);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Job> m_pending;
    bool m_playing = false;
    bool m_quit = false;
    // Bumped by every play, stop and the destructor: the worker drops any older job.
    std::atomic<std::uint64_t> m_generation{0};
    Result m_engine = Result::EngineFailure;
    std::thread m_worker; // last: started once everything above exists
};

} // namespace speechengine
