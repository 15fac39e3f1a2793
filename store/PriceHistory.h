#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace store {

// One read of an auction's page: when, the current price in yen and the number of bids.
struct PriceReading {
    QDateTime Time;
    int Price = 0;
    int Bids = 0;

    bool operator==(const PriceReading&) const = default;
};

// The price history of the auctions: one small text file per auction in a folder of its own
// inside the data folder, named by the auction's id, one reading a line, such as
// "2026-12-10T12:34:56 1200 3" (local time, ASCII, so also valid Shift_JIS), CR LF after each.
// Lines are only ever appended; a line without its line end (a write cut short) and any line
// that does not read are skipped.

// The folder, inside the data folder, with its trailing "/".
QString PriceHistoryFolderName();
// The id an item-page address ends in (…/auction/x123456789 gives x123456789); none for an
// address whose last path segment is not a plain id.
std::optional<QString> AuctionIdOf(const QString& url);
// The history file of the auction with that id.
QString PriceHistoryPath(const QString& dataDir, const QString& id);

// The line a reading is stored as, without its line end, and back.
QString PriceReadingLine(const PriceReading& reading);
std::optional<PriceReading> ParsePriceReading(QStringView line);

// Every reading the file holds, in file order; nothing when it does not exist.
std::vector<PriceReading> ReadPriceHistory(const QString& path);
// The file's last reading: the same as the last of ReadPriceHistory.
std::optional<PriceReading> LastPriceReading(const QString& path);
// Adds one line at the end of the file, creating the folder and the file when needed. A last
// line left without its line end is ended first as a line that does not read, so it stays the
// only one lost. False when the file could not be written.
bool AppendPriceReading(const QString& path, const PriceReading& reading);

// Deletes the history files of every auction whose id is not in kept.
void PrunePriceHistory(const QString& dataDir, const QSet<QString>& kept);

} // namespace store
