#include "platform/linux/QtClipboard.h"

#include "platform/linux/DropDecoding.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace platform {

QImage QtClipboard::picture() const
{
    // Decoded like a drop, so that an image file copied in a file manager pastes as well.
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data ? dropPicture(*data) : QImage();
}

QString QtClipboard::text() const
{
    return QGuiApplication::clipboard()->text();
}

} // namespace platform
