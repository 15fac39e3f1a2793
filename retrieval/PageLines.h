#pragma once

#include <QByteArrayMatcher>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

namespace retrieval {

// A page marker: its text and a matcher over its UTF-8 bytes, so that a page can be
// searched without decoding it.
struct PageMarker final {
    PageMarker() = default;
    explicit PageMarker(const QString& text) : Text(text), Bytes(text.toUtf8()), Matcher(Bytes) {}

    QString Text;
    QByteArray Bytes;
    QByteArrayMatcher Matcher;
};

// A fetched page body read as lines. Lines end at CR LF, a lone CR or a lone LF (a line
// end after the last line does not start another one); a NUL byte ends the text.
//
// The bytes are never decoded as a whole: markers are searched in the raw bytes, and a
// line is decoded only when a marker points at it. The body must outlive this object.
class PageLines final {
public:
    // Byte offsets of one line within the text.
    struct Line {
        qsizetype Begin = 0;
        qsizetype End = 0;  // before the line end
        qsizetype Next = 0; // start of the following line; the text size when this is the last
    };

    explicit PageLines(QByteArrayView body);

    bool IsEmpty() const { return m_text.isEmpty(); }
    qsizetype Size() const { return m_text.size(); }

    // The line starting at begin, which must be the start of a line.
    Line LineFrom(qsizetype begin) const;
    bool HasNext(const Line& line) const { return line.Next < m_text.size(); }

    // First byte offset at or after from where the marker's bytes stand; -1 when none.
    qsizetype Find(const PageMarker& marker, qsizetype from) const;
    // The line holding the byte at offset at; lineStart is the start of a line at or before it.
    Line LineAround(qsizetype at, qsizetype lineStart) const;

    // The line as text: UTF-8, empty when it is not valid UTF-8, and every character that
    // the stored files (CP932) cannot hold turned into "?", so that positions count characters.
    QString Decode(const Line& line) const;

private:
    qsizetype EndOfLine(qsizetype from) const;

    QByteArrayView m_text;
};

// Walks the lines that hold any of a few markers, in page order, without decoding the
// lines in between. A marker once missing from the rest of the page is not searched again.
class MarkerWalk final {
public:
    explicit MarkerWalk(const PageLines& page) : m_page(page) {}

    // The first line at or after the current position holding one of the markers whose
    // flag is true; nothing when there is none.
    template <size_t N>
    std::optional<PageLines::Line> Next(const std::array<const PageMarker*, N>& markers,
                                        const std::array<bool, N>& wanted)
    {
        static_assert(N <= MaxMarkers);
        qsizetype nearest = -1;
        for (size_t i = 0; i < N; ++i) {
            if (!wanted[i] || m_hits[i] == -1)
                continue;
            if (m_hits[i] < m_position)
                m_hits[i] = m_page.Find(*markers[i], m_position);
            if (m_hits[i] >= 0 && (nearest < 0 || m_hits[i] < nearest))
                nearest = m_hits[i];
        }
        if (nearest < 0)
            return std::nullopt;
        return m_page.LineAround(nearest, m_position);
    }

    // Goes on after line; false when it was the last.
    bool Advance(const PageLines::Line& line)
    {
        if (!m_page.HasNext(line))
            return false;
        m_position = line.Next;
        return true;
    }

private:
    static constexpr size_t MaxMarkers = 8;
    const PageLines& m_page;
    qsizetype m_position = 0;
    // Where each marker was last seen; -2 not searched yet, -1 not in the rest of the page.
    std::array<qsizetype, MaxMarkers> m_hits{-2, -2, -2, -2, -2, -2, -2, -2};
};

// Removes leading and trailing characters with codes 0 to 32.
QString TrimControls(QStringView text);

} // namespace retrieval
