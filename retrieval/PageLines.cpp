#include "retrieval/PageLines.h"

#include "store/Cp932.h"

#include <QStringDecoder>

#include <cstring>

namespace retrieval {

namespace {

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool IsAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

PageLines::PageLines(QByteArrayView body)
{
    const void* nul =
        body.isEmpty() ? nullptr : std::memchr(body.data(), 0, static_cast<size_t>(body.size()));
    const qsizetype size = nul ? static_cast<const char*>(nul) - body.data() : body.size();
    m_text = body.first(size);
}

qsizetype PageLines::EndOfLine(qsizetype from) const
{
    const char* data = m_text.data();
    qsizetype i = from;
    while (i < m_text.size() && !IsLineEnd(data[i]))
        ++i;
    return i;
}

PageLines::Line PageLines::LineFrom(qsizetype begin) const
{
    Line line;
    line.Begin = begin;
    line.End = EndOfLine(begin);
    line.Next = line.End;
    if (line.End < m_text.size()) {
        const bool crLf =
            m_text[line.End] == '\r' && line.End + 1 < m_text.size() && m_text[line.End + 1] == '\n';
        line.Next = line.End + (crLf ? 2 : 1);
    }
    return line;
}

qsizetype PageLines::Find(const PageMarker& marker, qsizetype from) const
{
    if (from >= m_text.size())
        return -1;
    return marker.Matcher.indexIn(m_text, from);
}

PageLines::Line PageLines::LineAround(qsizetype at, qsizetype lineStart) const
{
    qsizetype begin = at;
    while (begin > lineStart && !IsLineEnd(m_text[begin - 1]))
        --begin;
    return LineFrom(begin);
}

QString PageLines::Decode(const Line& line) const
{
    const QByteArrayView bytes = m_text.sliced(line.Begin, line.End - line.Begin);
    // A byte order mark stays a character (it becomes "?"), as at any other place of a line.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return {};
    if (IsAscii(bytes))
        return text;
    // Through the stored files' code page and back: what it cannot hold comes back as "?".
    return store::FromCp932(store::ToCp932(text));
}

QString TrimControls(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 32)
        ++first;
    while (last > first && text[last - 1].unicode() <= 32)
        --last;
    return text.sliced(first, last - first).toString();
}

} // namespace retrieval
