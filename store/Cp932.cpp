#include "store/Cp932.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace store {

namespace {

// One conversion descriptor per call keeps the functions free of shared state.
class Converter final {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert between CP932 and UTF-8");
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of input; onInvalid is told about each byte sequence that does
    // not convert and returns how many input bytes to skip and what to append.
    template <typename OnInvalid> QByteArray run(const QByteArray& input, OnInvalid onInvalid)
    {
        QByteArray output;
        output.reserve(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.constData());
        size_t inLeft = static_cast<size_t>(input.size());
        char buffer[1024];
        while (inLeft > 0) {
            char* out = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(m_cd, &in, &inLeft, &out, &outLeft);
            output.append(buffer, static_cast<qsizetype>(out - buffer));
            if (result != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: a sequence that does not convert, or is cut off.
            const auto [skip, replacement] = onInvalid(in, inLeft);
            output.append(replacement);
            in += skip;
            inLeft -= skip;
        }
        return output;
    }

private:
    iconv_t m_cd;
};

size_t Utf8SequenceLength(unsigned char lead, size_t available)
{
    size_t length = 1;
    if (lead >= 0xF0)
        length = 4;
    else if (lead >= 0xE0)
        length = 3;
    else if (lead >= 0xC0)
        length = 2;
    return length < available ? length : available;
}

} // namespace

QByteArray ToCp932(const QString& text)
{
    Converter converter("CP932", "UTF-8");
    return converter.run(text.toUtf8(), [](const char* at, size_t left) {
        return std::pair{Utf8SequenceLength(static_cast<unsigned char>(*at), left), QByteArray("?")};
    });
}

QString FromCp932(const QByteArray& bytes)
{
    Converter converter("UTF-8", "CP932");
    const QByteArray utf8 = converter.run(bytes, [](const char*, size_t) {
        return std::pair{size_t{1}, QByteArray("\xEF\xBF\xBD")};
    });
    return QString::fromUtf8(utf8);
}

} // namespace store
