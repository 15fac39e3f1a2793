#pragma once

#include <QString>

namespace shell {

// The address shown in the About window and opened by the connectivity probe.
// It is the auction site's top page, so that "reached" means the site is reachable.
inline QString AuthorSiteUrl()
{
    return QStringLiteral("https://auctions.yahoo.co.jp/");
}

} // namespace shell
