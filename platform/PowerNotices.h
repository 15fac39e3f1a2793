#pragma once

#include <functional>

namespace platform {

// Suspend and resume notices of the system, as power-broadcast event codes.
class PowerNotices {
public:
    static constexpr int QuerySuspend = 0;
    static constexpr int QueryStandby = 1;
    static constexpr int Suspend = 4;
    static constexpr int Standby = 5;
    static constexpr int ResumeSuspend = 7;
    static constexpr int ResumeStandby = 8;
    static constexpr int ResumeAutomatic = 18;

    virtual ~PowerNotices() = default;

    // Starts delivering notices to handler. Where the system offers none, nothing is delivered.
    virtual void listen(std::function<void(int code)> handler) = 0;
};

} // namespace platform
