#include "watchlist/PictureBoxCommands.h"

using namespace Qt::StringLiterals;

namespace watchlist {

QString PictureBoxCommands::CopyFailedMessage()
{
    return u"画像のコピーに失敗しました。"_s;
}

QString PictureBoxCommands::Caption(int slot)
{
    return u"No."_s + QString::number(slot + 1) + u"の画像"_s;
}

store::Slot& PictureBoxCommands::ImageSlot()
{
    return m_parts.Model.SlotAt(m_parts.Model.ImageKomoku, m_parts.Model.ImageSlot + 1);
}

void PictureBoxCommands::SlotImageMouseDown(int komoku, int slot, bool rightButton)
{
    store::WatchListModel& model = m_parts.Model;
    // The picture menu's items follow the slot pressed last.
    model.ImageKomoku = komoku;
    model.ImageSlot = slot;
    static_cast<void>(rightButton);
}

void PictureBoxCommands::SlotImageDblClick(int komoku, int slot)
{
    m_parts.Model.ImageKomoku = komoku;
    m_parts.Model.ImageSlot = slot;
    if (ImageSlot().PictureExist)
        ShowEnlarged();
}

void PictureBoxCommands::Replace(store::Slot& slot, const QImage& picture)
{
    store::SlotPicture kept = store::SlotPicture::FromImage(picture);
    if (kept.IsNull()) {
        m_parts.Dialogs.showMessage(CopyFailedMessage());
        return;
    }
    slot.Picture = std::move(kept);
    slot.PictureExist = true;
    m_parts.Model.Saved = false;
}

void PictureBoxCommands::P1Click()
{
    // Pasting needs no address in the slot, unlike a drop.
    const QImage picture = m_parts.Clipboard.picture();
    if (picture.isNull()) {
        m_parts.Dialogs.showMessage(CopyFailedMessage());
        return;
    }
    Replace(ImageSlot(), picture);
}

void PictureBoxCommands::D1Click()
{
    // The box shows its blank frame; the next save removes the picture file.
    store::Slot& slot = ImageSlot();
    slot.Picture = store::SlotPicture();
    slot.PictureExist = false;
    m_parts.Model.Saved = false;
}

void PictureBoxCommands::KakudaiClick()
{
    ShowEnlarged();
}

void PictureBoxCommands::ShowEnlarged()
{
    if (!m_parts.ShowEnlarged)
        return;
    // Only the box's copy stays in memory: the whole picture is read now, and the copy stands
    // in for a file that has gone.
    const store::SlotPicture& picture = ImageSlot().Picture;
    const QImage whole = picture.Whole();
    m_parts.ShowEnlarged(whole.isNull() ? picture.Box() : whole, Caption(m_parts.Model.ImageSlot));
}

void PictureBoxCommands::DropImageTarget1Drop(int slot, const QImage& picture)
{
    store::WatchListModel& model = m_parts.Model;
    if (model.ActivePage == 0 || slot < 0 || slot >= store::SlotsPerKomoku)
        return;
    store::Slot& target = model.SlotAt(model.SelKomoku, slot + 1);
    if (!target.InUse())
        return;
    if (picture.isNull()) {
        m_parts.Dialogs.showMessage(CopyFailedMessage());
        return;
    }
    Replace(target, picture);
}

} // namespace watchlist
