#pragma once

#include <QString>

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
    // Hands an address to the running instance. False when it cannot be reached or did not take it.
    virtual bool askRunningToRegister(const QString& address) = 0;
    // Starts answering later starts: showHandler runs when one asks for the window,
    // registerHandler with each address one hands over.
    virtual void listen(std::function<void()> showHandler,
                        std::function<void(const QString& address)> registerHandler) = 0;
};

} // namespace platform
