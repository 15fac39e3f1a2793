// CP932 decoding and encoding. Decoding takes any bytes; what it gives encodes and decodes
// back to itself, each undecodable byte as "?". Encoding takes any text and always gives
// CP932 that decodes without a replacement character.
#include "store/Cp932.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QString decoded = store::FromCp932(bytes);
    decoded.replace(QChar::ReplacementCharacter, u'?');
    if (store::FromCp932(store::ToCp932(decoded)) != decoded)
        std::abort();

    // The same bytes as text in UTF-16, unpaired surrogates and all.
    const QString text(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
    if (store::FromCp932(store::ToCp932(text)).contains(QChar::ReplacementCharacter))
        std::abort();
    return 0;
}
