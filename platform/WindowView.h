#pragma once

namespace platform {

// What the logic asks of the watch-list window. The window renders its model; these are
// the requests that show it, move the focus or the pages, and finish the user's typing.
class WindowView {
public:
    virtual ~WindowView() = default;

    virtual void showWindow() = 0;
    // Hides the window (the user closed it or the program ends).
    virtual void hideWindow() = 0;
    virtual void bringToFront() = 0;
    virtual bool isWindowVisible() const = 0;
    // Shows the window and keeps it above other windows while onTop is set.
    virtual void showWindowOnTop(bool onTop) = 0;

    // Shows the model again: the pages, captions, cells, pictures and enabled states.
    virtual void render() = 0;
    virtual void repaintGrid(int komoku) = 0;
    // Fits the message label between its left edge and the OK button and makes the
    // window just tall enough for the pages and the label.
    virtual void layoutMessageLabel() = 0;
    // Brings a page to the front: 0 is the general page, k + 1 category k.
    virtual void setActivePage(int page) = 0;

    // Where a refused save puts the focus.
    virtual void focusSpeechText() = 0;
    virtual void focusArarmTime() = 0;
    virtual void focusGrid(int komoku) = 0;
    // Gives the keyboard focus to the "表示" button of category komoku's row (1 to 10).
    virtual void focusHyoji(int komoku, int row) = 0;
    // Brings category komoku's page forward, makes row its grid's top row unless it shows
    // already, selects the row's price cell and gives the grid the focus.
    virtual void activatePriceCell(int komoku, int row) = 0;

    // Writes what is typed into a cell whose editor is still open into the model, so that
    // whatever reads or saves the model next sees it.
    virtual void commitEdits() = 0;
    // Whether a cell editor is open on row (1 to 10) of category komoku's grid: the user is typing there.
    virtual bool isEditing(int komoku, int row) const = 0;

    // Hides the hover-hint panel; its text stays.
    virtual void hideHint() = 0;
    // Opens the slot menu at the pointer, as the model sets it up, and returns once it has closed.
    virtual void popupSlotMenu() = 0;
};

} // namespace platform
