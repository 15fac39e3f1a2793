#pragma once

#include "store/PriceHistory.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace store {

struct Slot;

// What a slot knows of its auction's page reads: when it was last read whole, and the history
// file's last reading. It moves with its slot; it counts only while the slot still holds the
// auction it was taken for.
struct PriceTrack {
    // The address it was taken for.
    QString URL;
    // The last whole read (a check or the registration); invalid when none is known.
    QDateTime LastRead;
    // The last reading in the history file; none when nothing is recorded.
    std::optional<PriceReading> LastRecorded;
};

// A reading equal to the file's last one is written again only after this long, so the file
// stays small while the program checks all day, and its last line still tells within this much
// when the page was last read.
inline constexpr int UnchangedRecordSeconds = 10 * 60;

// The slot's track, taken from the history file when the slot holds another auction than the
// one it was taken for (after a start, or a new address): the last reading counts as the last read.
void TrackSlot(const QString& dataDir, Slot& slot);
// The slot's page was read whole at reading.Time: the read is remembered, and the reading
// appended to the auction's history unless it repeats the last one within UnchangedRecordSeconds.
void RecordSlotReading(const QString& dataDir, Slot& slot, const PriceReading& reading);
// The track of the auction the slot holds now; none for a free slot or a track taken for another.
const PriceTrack* TrackOf(const Slot& slot);
// Whether the auction the slot holds has a reading recorded.
bool HasPriceHistory(const Slot& slot);

} // namespace store
