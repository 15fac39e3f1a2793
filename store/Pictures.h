#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace store {

// JPEG through libjpeg-turbo and GIF through giflib, called directly.

// A null image when the bytes are not a JPEG that decodes.
QImage DecodeJpeg(const QByteArray& bytes);
// Baseline JPEG of the image at the given quality (1 to 100); empty on failure.
QByteArray EncodeJpeg(const QImage& image, int quality = 90);
// The first frame at the logical screen size; a null image when the bytes are not a GIF that decodes.
QImage DecodeGif(const QByteArray& bytes);

// JPEG or GIF by content; a null image when the bytes are neither or do not decode.
QImage DecodePicture(const QByteArray& bytes);
// Reads a picture file, JPEG or GIF by content; a null image when it is missing or does not decode.
QImage ReadPictureFile(const QString& path);
// The bytes of a picture file as they are; empty when it is missing, empty or too large to be one.
QByteArray ReadPictureBytes(const QString& path);
// Writes the image as a JPEG file atomically; false on failure, the old file then untouched.
bool WriteJpegFile(const QString& path, const QImage& image, int quality = 90);

} // namespace store
