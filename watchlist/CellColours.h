#pragma once

#include "shell/Schedule.h"
#include "store/WatchListModel.h"

#include <QDateTime>
#include <QRgb>

namespace watchlist {

// The background of a grid cell. Highlight is the system's selection colour, which only the
// screen knows; the others are fixed colours.
enum class CellColour { White, Lime, Red, Yellow, Aqua, Fuchsia, Green, Highlight };

enum class CellAlign { Left, Centre, Right };

// Red, green and blue of a fixed colour; Highlight gives white.
QRgb CellColourRgb(CellColour colour);

// The background of cell (column, row) of category komoku, row 0 being the header row.
// status is the schedule's record of the row's slot, null when there is none; focusedCurrent
// tells that the cell is the current cell of a grid that has the keyboard focus. The end-time
// cells tell whether the auction ends today or within the hour, measured from now.
CellColour GridCellColour(const store::WatchListModel& model, const shell::SlotStatus* status, int komoku,
                          int column, int row, bool focusedCurrent, const QDateTime& now);

// How the text of cell (column, row) is aligned across the cell.
CellAlign GridCellAlign(int column, int row);

} // namespace watchlist
