// The drop payload decoder over what a drag source or the clipboard offers. The input is a
// list of forms, each a byte with the length of its MIME type, the type, four bytes with the
// length of its data (little-endian; the last form takes whatever is left) and the data.
// "%DIR%" in the data stands for a folder holding a ".url" shortcut, a ".desktop" link and a
// GIF picture, so that dropped files can be named.
#include "platform/linux/DropDecoding.h"

#include <QCoreApplication>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<QTemporaryDir> Files;

void WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile file(Files->filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    Files = std::make_unique<QTemporaryDir>();
    if (!Files->isValid())
        std::abort();
    WriteFile(u"ItemPage.url"_s,
              "[InternetShortcut]\r\nURL=https://page.auctions.yahoo.co.jp/jp/auction/x1\r\n");
    WriteFile(u"ItemPage.desktop"_s,
              "[Desktop Entry]\nType=Link\nURL=https://page.auctions.yahoo.co.jp/jp/auction/x2\n");
    WriteFile(u"Picture.gif"_s, QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\xff\xff\xff"
                                           ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                                           35));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray dir = Files->path().toUtf8();
    QMimeData mime;
    std::size_t at = 0;
    while (at < size) {
        const std::size_t typeLength = data[at++];
        if (typeLength > size - at)
            break;
        const QString type =
            QString::fromUtf8(reinterpret_cast<const char*>(data + at), static_cast<qsizetype>(typeLength));
        at += typeLength;
        std::uint32_t dataLength = UINT32_MAX;
        if (size - at >= 4) {
            std::memcpy(&dataLength, data + at, 4);
            at += 4;
        }
        const std::size_t length = std::min<std::size_t>(dataLength, size - at);
        QByteArray bytes(reinterpret_cast<const char*>(data + at), static_cast<qsizetype>(length));
        at += length;
        bytes.replace("%DIR%", dir);
        if (!type.isEmpty())
            mime.setData(type, bytes);
    }
    const bool offered = platform::offersDrop(mime);
    const platform::DropPayload payload = platform::decodeDrop(mime);
    if (!offered && (!payload.Address.isEmpty() || !payload.Picture.isNull()))
        std::abort(); // a drop that was refused while dragging would have given something
    if (!payload.Address.isEmpty() && payload.Address.indexOf(u"://"_s) < 1)
        std::abort();
    return 0;
}
