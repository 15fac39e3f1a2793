#pragma once

#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "store/WatchListModel.h"

#include <QImage>
#include <QString>

#include <functional>

namespace watchlist {

// The picture box beside every slot row: its menu (paste, delete, enlarge), its double
// click, and a picture dropped on it. The widgets forward the box's events here and render
// the model afterwards.
class PictureBoxCommands final {
public:
    struct Parts {
        store::WatchListModel& Model;
        platform::Dialogs& Dialogs;
        platform::Clipboard& Clipboard;
        // Shows a picture in the enlarged-image window under a caption, without blocking.
        std::function<void(const QImage& picture, const QString& caption)> ShowEnlarged;
    };

    explicit PictureBoxCommands(Parts parts) : m_parts(std::move(parts)) {}

    // A mouse button went down on the box of slot (0 to 9) of category komoku; the right
    // button is about to pop the picture menu up.
    void SlotImageMouseDown(int komoku, int slot, bool rightButton);
    void SlotImageDblClick(int komoku, int slot);
    // The picture menu's items.
    void P1Click();
    void D1Click();
    void KakudaiClick();
    // A picture dropped on the box of slot (0 to 9) of the category showing; a null picture
    // is one that could not be taken.
    void DropImageTarget1Drop(int slot, const QImage& picture);

    static QString CopyFailedMessage();
    static QString Caption(int slot);

private:
    void ShowEnlarged();
    store::Slot& ImageSlot();
    void Replace(store::Slot& slot, const QImage& picture);

    Parts m_parts;
};

} // namespace watchlist
