#pragma once

// Item pages as the site serves them.

#include "retrieval/ScrapeTestSupport.h"

namespace bench {

// About 3,000 lines of markup (twice `fillerLines` around the fields), with the title at the top,
// then the lines of `head` (an ended notice, a picture), and the price, bid count and end time in
// the middle.
inline QByteArray ItemPage(const QString& price = QStringLiteral("12,345円"),
                           const QString& endText = QStringLiteral("2026.12.10（木）21:34"),
                           const QString& title = QStringLiteral("ニコン 単焦点レンズ AF-S 50mm f/1.8G"),
                           int fillerLines = 1500, const QStringList& head = {})
{
    using namespace scrapetest;
    QStringList lines{QStringLiteral("<title>ヤフオク! - %1</title>").arg(title)};
    lines << head;
    for (int i = 0; i < fillerLines; ++i)
        lines << QStringLiteral("<li class=\"Item\"><a href=\"/category/list/%1/\">カメラ、光学機器</a></li>")
                     .arg(i);
    lines << PriceBlock(price) << CountBlock(QStringLiteral("17")) << EndBlock(endText);
    for (int i = 0; i < fillerLines; ++i)
        lines << QStringLiteral("<li class=\"Item\"><a href=\"/category/list/%1/\">送料無料</a></li>").arg(i);
    return Page(lines);
}

} // namespace bench
