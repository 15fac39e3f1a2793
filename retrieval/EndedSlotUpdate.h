#pragma once

#include "retrieval/ScrapeContext.h"

namespace retrieval {

// Marks the slot (category komoku, row 1 to 10) as ended once its final figures are in
// its cells: the title marker, the stored keys, the favourite summary and the end balloon.
ScrapeResult UpdateEndedSlot(ScrapeContext& context, int komoku, int row);

// A balloon text cut to the 255 characters a tray balloon holds.
QString CutForBalloon(const QString& text);
// The tray hint listing every category's favourite, empty when there is none.
QString FavouriteSummaryOf(const ScrapeContext& context);

} // namespace retrieval
