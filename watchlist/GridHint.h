#pragma once

#include "store/WatchListModel.h"

#include <QDateTime>
#include <QPoint>
#include <QRect>
#include <QString>

namespace watchlist {

// The hover hint of the category grids: which cells have one, what it says and where its
// panel stands. The window measures the text, tracks the pointer and waits out the delay.

// How long the pointer rests on a cell before its hint shows.
inline constexpr int HintDelayMs = 500;
inline constexpr int HintPanelHeight = 40;

// The title, URL and remarks cells of the slot rows give a hint; no other cell does.
bool GivesHint(int column, int row);
// The hint of cell (column, row) of category komoku: the cell's text without surrounding
// blanks, lines joined with CR LF. A title whose page has been read says when (at `now`, local
// time), and, while the checks are on, that it has not been read for a while; a title whose
// last price check failed gets a line saying so and why. Empty when the cell gives no hint or
// holds only blanks.
QString HintText(const store::WatchListModel& model, int komoku, int column, int row,
                 const QDateTime& now = {});
// A page not read for longer than this, while the checks are on, is said to be so.
inline constexpr int StaleReadMinutes = 10;
// The line under the title that tells when its page was last read: the time, with the date when
// it is not today's.
QString LastReadLine(const QDateTime& lastRead, const QDateTime& now);
// Added to that line when the page has not been read for more than StaleReadMinutes.
QString StaleReadText();
// The line added under the title of a slot whose last check failed.
QString LastCheckErrorLine(const QString& error);
// The line under the title and the address of a slot whose address no browser is given.
QString NotWebAddressLine();
// The panel for a text textWidth pixels wide, for a pointer at pointer in the window's
// client area of width clientWidth: below the pointer, starting at its x, kept inside the
// right edge; a text wider than the window takes the whole width from the left edge.
QRect HintPanelRect(int textWidth, const QPoint& pointer, int clientWidth);

} // namespace watchlist
