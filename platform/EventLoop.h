#pragma once

namespace platform {

class EventLoop {
public:
    virtual ~EventLoop() = default;

    // Handles the events that are waiting, then returns.
    virtual void processEvents() = 0;
    // Ends the event loop and so the program.
    virtual void quit() = 0;
};

} // namespace platform
