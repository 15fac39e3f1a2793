#include "store/PriceTrack.h"

#include "store/WatchListModel.h"

namespace store {

void TrackSlot(const QString& dataDir, Slot& slot)
{
    const QString& url = slot.Cells[ColURL];
    if (slot.Track.URL == url)
        return;
    slot.Track = PriceTrack{url, {}, {}};
    const auto id = AuctionIdOf(url);
    if (!id)
        return;
    slot.Track.LastRecorded = LastPriceReading(PriceHistoryPath(dataDir, *id));
    if (slot.Track.LastRecorded)
        slot.Track.LastRead = slot.Track.LastRecorded->Time;
}

void RecordSlotReading(const QString& dataDir, Slot& slot, const PriceReading& reading)
{
    TrackSlot(dataDir, slot);
    PriceTrack& track = slot.Track;
    track.LastRead = reading.Time;
    const auto id = AuctionIdOf(slot.Cells[ColURL]);
    if (!id)
        return;
    const std::optional<PriceReading>& last = track.LastRecorded;
    if (last && last->Price == reading.Price && last->Bids == reading.Bids &&
        last->Time.secsTo(reading.Time) < UnchangedRecordSeconds && last->Time <= reading.Time)
        return;
    // A file that cannot be written keeps the last reading it holds; the next read tries again.
    if (AppendPriceReading(PriceHistoryPath(dataDir, *id), reading))
        track.LastRecorded = reading;
}

const PriceTrack* TrackOf(const Slot& slot)
{
    if (!slot.InUse() || slot.Track.URL != slot.Cells[ColURL])
        return nullptr;
    return &slot.Track;
}

bool HasPriceHistory(const Slot& slot)
{
    const PriceTrack* track = TrackOf(slot);
    return track && track->LastRecorded;
}

} // namespace store
