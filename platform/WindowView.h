#pragma once

namespace platform {

// What the logic asks of the watch-list window.
class WindowView {
public:
    virtual ~WindowView() = default;

    virtual void showWindow() = 0;
    virtual void bringToFront() = 0;
    virtual bool isWindowVisible() const = 0;
    // Fits the message label between its left edge and the OK button and makes the
    // window just tall enough for the pages and the label.
    virtual void layoutMessageLabel() = 0;
};

} // namespace platform
