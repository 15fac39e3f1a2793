#pragma once

#include "retrieval/ScrapeContext.h"

#include <QByteArrayView>
#include <QString>

namespace retrieval {

// The message for a page without a single line.
QString EmptyPageMessage();

// Reads the fetched item page of the slot (category komoku, row 1 to 10) into its cells,
// side tables, schedule slot and category file; context.Registering selects registration,
// which also lists the page's pictures for the registration to download.
// Only an address beginning with ItemPagePrefix() has its lines read.
// Model.Scraping is set while it runs and cleared on every way out.
ScrapeResult ScrapeItemPage(ScrapeContext& context, QByteArrayView body, const QString& address, int komoku,
                            int row);

} // namespace retrieval
