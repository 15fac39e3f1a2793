#pragma once

#include "platform/Dialogs.h"
#include "retrieval/PageLines.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace retrieval {

// The site's page layout as the scraper looks for it: texts matched character for character,
// and the places of the end date's month and day. They come from a marker file
// (PageMarkers.txt), whose copy in the program is the default.
struct PageMarkers final {
    PageMarker PriceHeading;
    PageMarker PriceValue;
    PageMarker SokketuHeading;
    PageMarker CountHeading;
    // Only its length counts: the bid count follows that many characters of the value line.
    PageMarker CountValue;
    PageMarker CountEnd;
    PageMarker EndHeading;
    PageMarker EndValue;
    // Characters after EndValue in front of the end month's two characters, and of the day's.
    qsizetype EndMonthOffset = 0;
    qsizetype EndDayOffset = 0;
    PageMarker TimeSeparator;
    PageMarker EndedNotice;
    PageMarker TitleStart;
    PageMarker TitleEnd;
    PageMarker TitlePrefix;
    PageMarker PictureBlock;
    PageMarker PictureStart;
    PageMarker PictureEnd;
};

// A marker file read: its markers, or why it was refused ("12 行目: …", or the key it misses).
struct ParsedPageMarkers final {
    std::optional<PageMarkers> Markers;
    QString Error;
};

// Reads a marker file's text. A file with a line that does not read, a missing key, an
// unknown or repeated key, an empty text or one the stored files' code page cannot hold, or an
// offset that is not a number is refused as a whole.
ParsedPageMarkers ParsePageMarkers(QByteArrayView text);

// The markers of the file built into the program.
const PageMarkers& BuiltInPageMarkers();

// "PageMarkers.txt", the marker file's name in the program's folder.
QString PageMarkersName();

// The markers of the file at path, read once at start. Without that file, the built-in ones;
// when it cannot be read or is refused, the user is told why and the built-in ones are used.
PageMarkers LoadPageMarkers(const QString& path, platform::Dialogs& dialogs);

QString RefusedPageMarkersMessage(const QString& path, const QString& reason);

} // namespace retrieval
