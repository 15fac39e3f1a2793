#include "platform/linux/SteadyClock.h"
#include "store/DayCount.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <utility>

namespace {

// Sets the process's zone for the test and reads it again, as a zone change would.
class ZoneOverride final {
public:
    explicit ZoneOverride(const char* zone)
        : m_saved(qgetenv("TZ")), m_hadZone(qEnvironmentVariableIsSet("TZ"))
    {
        Set(zone);
    }
    ~ZoneOverride()
    {
        if (m_hadZone)
            qputenv("TZ", m_saved);
        else
            qunsetenv("TZ");
        tzset();
        store::ReadLocalZone();
    }
    void Set(const char* zone)
    {
        qputenv("TZ", zone);
        tzset();
        store::ReadLocalZone();
    }

private:
    QByteArray m_saved;
    bool m_hadZone;
};

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
