#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace store {

// A slot's picture as the window keeps it: only the copy that fits the slot's box stays
// decoded. The whole picture is either the stored file it was read from or written to, or,
// for one that arrived and is not saved yet, its encoded bytes.
class SlotPicture final {
public:
    // The slot's picture box on the category page.
    static constexpr QSize BoxSize{48, 48};

    SlotPicture() = default;
    // The picture in a stored file, decoded once for its box; none when it does not decode.
    static SlotPicture FromFile(const QString& path);
    // A picture that arrived as bytes (a download: JPEG or GIF) and its decoded image.
    static SlotPicture FromBytes(const QByteArray& bytes, const QImage& decoded);
    // A picture that arrived as an image (a paste, a drop), kept losslessly until saved.
    static SlotPicture FromImage(const QImage& image);

    bool IsNull() const { return m_box.isNull(); }
    // The copy that fits the box, as the box shows it.
    const QImage& Box() const { return m_box; }
    // The whole picture: decoded from the bytes, or read from the file again; none when the
    // file has gone meanwhile.
    QImage Whole() const;

    // Not saved yet: the bytes are the picture.
    bool Pending() const { return !m_bytes.isEmpty(); }
    // The stored file that holds the picture; empty while it is pending.
    const QString& File() const { return m_file; }
    // The picture now stands in the file at path: the bytes go.
    void StoredIn(const QString& path);
    // Takes the file's bytes into memory, for a save that may replace the file before it
    // writes the picture elsewhere. False when the file cannot be read.
    bool KeepBytes();
    // What the slot's JPEG file gets: JPEG bytes as they are, anything else encoded as a
    // JPEG; empty when the picture cannot be had any more.
    QByteArray JpegBytes() const;

private:
    QImage m_box;
    QString m_file;
    QByteArray m_bytes;
};

} // namespace store
