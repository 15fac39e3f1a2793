#pragma once

// Item pages as the site serves them.

#include "retrieval/ScrapeTestSupport.h"

namespace bench {

// About 3,000 lines of markup, with the title at the top and the price, bid count and end time
// in the middle.
inline QByteArray ItemPage(const QString& price = QStringLiteral("12,345円"),
                           const QString& endText = QStringLiteral("2026.12.10（木）21:34"),
                           const QString& title = QStringLiteral("ニコン 単焦点レンズ AF-S 50mm f/1.8G"))
{
    using namespace scrapetest;
    QStringList lines{QStringLiteral("<title>ヤフオク! - %1</title>").arg(title)};
    for (int i = 0; i < 1500; ++i)
        lines << QStringLiteral("<li class=\"Item\"><a href=\"/category/list/%1/\">カメラ、光学機器</a></li>")
                     .arg(i);
    lines << PriceBlock(price) << CountBlock(QStringLiteral("17")) << EndBlock(endText);
    for (int i = 0; i < 1500; ++i)
        lines << QStringLiteral("<li class=\"Item\"><a href=\"/category/list/%1/\">送料無料</a></li>").arg(i);
    return Page(lines);
}

} // namespace bench
