#pragma once

namespace platform {

// What the logic asks of the watch-list window. The window renders its model; these
// are the requests that move the focus, the pages or the window itself.
class WindowView {
public:
    virtual ~WindowView() = default;

    virtual void showWindow() = 0;
    virtual void bringToFront() = 0;
    virtual bool isWindowVisible() const = 0;
    // Fits the message label between its left edge and the OK button and makes the
    // window just tall enough for the pages and the label.
    virtual void layoutMessageLabel() = 0;

    // Hides the window (the user closed it or the program ends).
    virtual void hideWindow() {}
    // Shows the model again: the pages, captions, cells, pictures and enabled states.
    virtual void render() {}
    // Brings a page to the front: 0 is the general page, k + 1 category k.
    virtual void setActivePage(int /*page*/) {}
    virtual void repaintGrid(int /*komoku*/) {}
    // Where a refused save puts the focus.
    virtual void focusSpeechText() {}
    virtual void focusArarmTime() {}
    virtual void focusGrid(int /*komoku*/) {}
};

} // namespace platform
