// The GIF decoder: any bytes give the first frame on its screen or a null image; a small
// picture it gives encodes as a JPEG of the same size.
#include "store/Pictures.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QImage image = store::DecodeGif(bytes);
    if (image.isNull() || image.width() * image.height() > 64 * 64)
        return 0;
    if (store::DecodeJpeg(store::EncodeJpeg(image)).size() != image.size())
        std::abort();
    return 0;
}
