#include "store/SlotPicture.h"

#include "store/Pictures.h"

#include <QBuffer>

namespace store {

namespace {

bool IsJpeg(const QByteArray& bytes)
{
    return bytes.startsWith("\xff\xd8\xff");
}

QImage BoxCopy(const QImage& image)
{
    // The box scales the same way; a copy of its size is shown as it is.
    return image.isNull() ? QImage()
                          : image.scaled(SlotPicture::BoxSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// The bytes of a pasted or dropped picture: PNG, which the save's JPEG encoding reads back
// pixel for pixel.
QByteArray Lossless(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "PNG") ? bytes : QByteArray();
}

QImage Decode(const QByteArray& bytes)
{
    const QImage picture = DecodePicture(bytes);
    return picture.isNull() ? QImage::fromData(bytes, "PNG") : picture;
}

} // namespace

SlotPicture SlotPicture::FromFile(const QString& path)
{
    SlotPicture picture;
    picture.m_box = BoxCopy(ReadPictureFile(path));
    if (!picture.m_box.isNull())
        picture.m_file = path;
    return picture;
}

SlotPicture SlotPicture::FromBytes(const QByteArray& bytes, const QImage& decoded)
{
    SlotPicture picture;
    picture.m_box = BoxCopy(decoded);
    if (!picture.m_box.isNull())
        picture.m_bytes = bytes;
    return picture;
}

SlotPicture SlotPicture::FromImage(const QImage& image)
{
    SlotPicture picture;
    const QByteArray bytes = Lossless(image);
    if (!bytes.isEmpty()) {
        picture.m_box = BoxCopy(image);
        picture.m_bytes = bytes;
    }
    return picture;
}

QImage SlotPicture::Whole() const
{
    if (IsNull())
        return {};
    return Pending() ? Decode(m_bytes) : ReadPictureFile(m_file);
}

void SlotPicture::StoredIn(const QString& path)
{
    m_file = path;
    m_bytes.clear();
}

bool SlotPicture::KeepBytes()
{
    if (Pending())
        return true;
    m_bytes = ReadPictureBytes(m_file);
    if (m_bytes.isEmpty())
        return false;
    m_file.clear();
    return true;
}

QByteArray SlotPicture::JpegBytes() const
{
    if (!Pending()) {
        const QImage whole = Whole();
        return whole.isNull() ? QByteArray() : EncodeJpeg(whole);
    }
    return IsJpeg(m_bytes) ? m_bytes : EncodeJpeg(Decode(m_bytes));
}

} // namespace store
