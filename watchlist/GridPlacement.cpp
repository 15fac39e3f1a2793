#include "watchlist/GridPlacement.h"

#include <algorithm>

namespace watchlist {

CaptionPlaces PlaceTimeCaptions(int gridLeft, const std::array<int, store::ColumnCount>& widths, int leftCol,
                                int lineWidth)
{
    const auto width = [&widths](int column) { return widths[static_cast<size_t>(column)]; };
    CaptionPlaces places;
    places.EndTimeLeft = gridLeft + width(store::ColNo) + width(store::ColTitle) + 2 * lineWidth;
    for (int c = store::ColTitle; c < std::min(leftCol, store::ColumnCount); ++c)
        places.EndTimeLeft -= width(c) + lineWidth;
    places.EndTimeVisible = places.EndTimeLeft >= gridLeft + width(store::ColNo);

    places.ArarmTimeLeft = places.EndTimeLeft;
    for (int c = store::ColMonth; c <= store::ColURL; ++c)
        places.ArarmTimeLeft += width(c) + lineWidth;
    places.ArarmTimeVisible = places.ArarmTimeLeft >= gridLeft;
    return places;
}

std::array<SlotControlPlace, store::SlotsPerKomoku> PlaceSlotControls(int gridTop, int headerHeight,
                                                                      int pitch, int topRow)
{
    const int first = std::clamp(topRow, 1, store::SlotsPerKomoku) - 1;
    std::array<SlotControlPlace, store::SlotsPerKomoku> places;
    for (int s = 0; s < store::SlotsPerKomoku; ++s) {
        SlotControlPlace& place = places[static_cast<size_t>(s)];
        place.ImageTop = gridTop + headerHeight + 1 + (s - first) * pitch;
        place.ButtonTop = gridTop + headerHeight + 4 + (s - first) * pitch;
        place.Visible = s >= first;
    }
    return places;
}

} // namespace watchlist
