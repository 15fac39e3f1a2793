#pragma once

namespace platform {

// What the logic asks of the watch-list window.
class WindowView {
public:
    virtual ~WindowView() = default;

    virtual void showWindow() = 0;
    virtual void bringToFront() = 0;
    virtual bool isWindowVisible() const = 0;
};

} // namespace platform
