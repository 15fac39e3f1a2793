// The JPEG decoder: any bytes give a picture or a null image; a small picture it gives
// encodes and decodes again at the same size.
#include "store/Pictures.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QImage image = store::DecodeJpeg(bytes);
    if (image.isNull() || image.width() * image.height() > 64 * 64)
        return 0;
    const QImage again = store::DecodeJpeg(store::EncodeJpeg(image));
    if (again.size() != image.size())
        std::abort();
    return 0;
}
