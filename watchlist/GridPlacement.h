#pragma once

#include "store/WatchListModel.h"

#include <array>

namespace watchlist {

// Where the captions "終了時間" and "アラーム時間" stand over their columns, in the page's
// coordinates, and whether they show.
struct CaptionPlaces {
    int EndTimeLeft = 0;
    bool EndTimeVisible = true;
    int ArarmTimeLeft = 0;
    bool ArarmTimeVisible = true;
};

// gridLeft is the left edge of the grid's cells, widths the columns' widths now (grid lines
// not included), leftCol the first non-fixed column in view (1 when not scrolled sideways).
// A caption whose column has scrolled out of view on the left is hidden.
CaptionPlaces PlaceTimeCaptions(int gridLeft, const std::array<int, store::ColumnCount>& widths, int leftCol,
                                int lineWidth);

// The top of a slot's picture box and of its "表示" button, and whether they show.
struct SlotControlPlace {
    int ImageTop = 0;
    int ButtonTop = 0;
    bool Visible = true;
};

// The picture boxes and buttons follow the rows: the slot of the first row in view (topRow,
// 1 to 10) stands just below the header row, the others a pitch apart; the slots above it are
// hidden.
std::array<SlotControlPlace, store::SlotsPerKomoku> PlaceSlotControls(int gridTop, int headerHeight,
                                                                      int pitch, int topRow);

} // namespace watchlist
