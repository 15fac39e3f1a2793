#pragma once

#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>

#include <optional>
#include <vector>

namespace retrieval {

// What an item page shows, read from its bytes alone. A fact found on a line carries that
// line's start (a byte offset into the page), so that facts compare in the order of the page.
struct PageFacts final {
    // A text read after a heading: a price such as "1,200円", or a bid count.
    struct Field {
        QString Text;
        qsizetype Line = 0; // the heading's

        bool operator==(const Field&) const = default;
    };
    // The end time's texts as they stand on the page; the year shown there is not read.
    struct EndTime {
        QString Month;
        QString Day;
        // Both absent when the value has no ":".
        std::optional<QString> Hour;
        std::optional<QString> Minute;
        qsizetype Line = 0; // the heading's

        bool operator==(const EndTime&) const = default;
    };
    // A picture block whose address ends in "jpg" or "gif".
    struct Picture {
        QString Url;
        QLatin1StringView Extension; // ".jpg" or ".gif"
        qsizetype Line = 0;          // the block's

        bool operator==(const Picture&) const = default;
    };

    // The page has no line at all (nothing before its first NUL byte).
    bool Empty = false;
    // Its lines were read: the address is an item page's and the page is not empty. Every
    // other fact is absent when they were not.
    bool Read = false;

    // The first heading of each kind followed by a value that reads.
    std::optional<Field> Kakaku;
    std::optional<Field> Sokketugaku;
    std::optional<Field> Nyusatu;
    // The value line's end time below the first end-time heading; none when no value line
    // follows that heading (then none follows a later one either).
    std::optional<EndTime> ShuryoTime;
    // The lines of the first ended notice and of the next one after it.
    std::optional<qsizetype> EndedNotice;
    std::optional<qsizetype> EndedNoticeAgain;

    // Left empty by a check's read. The first title line's title without the site's prefix,
    // empty when it does not close there; every picture the page offers, in page order.
    QString Title;
    std::vector<Picture> Pictures;

    bool operator==(const PageFacts&) const = default;
};

// What a read takes from a page: a check wants the values and the ended notice, a
// registration the title and the pictures as well.
enum class PageRead { Check, Registration };

struct PageMarkers;

// Reads the facts of an item page fetched from address by the given markers; only an address
// beginning with ItemPagePrefix() has its lines read.
PageFacts ReadItemPage(QByteArrayView body, const QString& address, const PageMarkers& markers,
                       PageRead read = PageRead::Registration);

} // namespace retrieval
