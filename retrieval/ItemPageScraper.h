#pragma once

#include "retrieval/PageFacts.h"
#include "retrieval/PageMarkers.h"
#include "retrieval/ScrapeContext.h"

#include <QByteArrayView>
#include <QString>

namespace retrieval {

// The message for a page without a single line.
QString EmptyPageMessage();

// Brings what an item page showed into the slot (category komoku, row 1 to 10): its cells,
// side tables, schedule slot and category file; context.Registering selects registration,
// which also takes the title and lists the page's pictures for the registration to download
// (facts read with PageRead::Registration). Model.Scraping is set while it runs and cleared on
// every way out.
ScrapeResult ApplyItemPage(ScrapeContext& context, const PageFacts& facts, int komoku, int row);

// Reads the fetched item page by the markers (ReadItemPage, for what context.Registering wants)
// and applies it to the slot (ApplyItemPage).
ScrapeResult ScrapeItemPage(ScrapeContext& context, const PageMarkers& markers, QByteArrayView body,
                            const QString& address, int komoku, int row);

} // namespace retrieval
