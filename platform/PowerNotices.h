#pragma once

#include <functional>

namespace platform {

// Suspend and resume notices of the system, as power-broadcast event codes:
// 4 before a suspend, 7 after the resume.
class PowerNotices {
public:
    static constexpr int Suspend = 4;
    static constexpr int ResumeSuspend = 7;

    virtual ~PowerNotices() = default;

    // Starts delivering notices to handler. Where the system offers none, nothing is delivered.
    virtual void listen(std::function<void(int code)> handler) = 0;
};

} // namespace platform
