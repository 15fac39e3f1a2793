#pragma once

#include <functional>

namespace platform {

// Keeps the program to one running instance per user.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;

    // True when no other instance runs; this process then holds the guard until it ends.
    virtual bool acquire() = 0;
    // Asks the running instance to show its watch-list window. False when it cannot be reached.
    virtual bool askRunningToShow() = 0;
    // Starts answering later starts; the handler runs when one asks for the window.
    virtual void listen(std::function<void()> showHandler) = 0;
};

} // namespace platform
