#include "platform/linux/SteadyClock.h"
#include "store/DayCount.h"

#include "support/ZoneOverride.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <utility>

namespace {

using testsupport::ZoneOverride;

TEST(SteadyClock, NowIsTheLocalTimeOfTheZoneLastRead)
{
    ZoneOverride zone("Asia/Tokyo");
    platform::SteadyClock clock;
    for (const auto& [name, offset] : {std::pair{"Asia/Tokyo", 9 * 3600}, std::pair{"Asia/Kolkata", 19800}}) {
        zone.Set(name);
        const QDateTime now = clock.now();
        EXPECT_EQ(now.offsetFromUtc(), offset) << name;
        // The day count is the wall clock's, as the C library's local time gives it.
        const double library = store::ToDayCount(QDateTime::currentDateTime());
        EXPECT_LT(std::abs(store::ToDayCount(now) - library) * 86400, 2.0) << name;
    }
}

} // namespace
