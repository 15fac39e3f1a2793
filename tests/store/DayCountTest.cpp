#include "store/DayCount.h"

#include <QByteArray>
#include <QDate>
#include <QTimeZone>

#include "support/ZoneOverride.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

using store::DayCountFromText;
using store::DayCountToText;

std::string Text(double days)
{
    return DayCountToText(days).toStdString();
}

// The stored form written out independently of the code under test.
QString Stored(int year, int month, int day, int hour, int minute, int second)
{
    if (hour == 0 && minute == 0 && second == 0)
        return QString::asprintf("%04d/%02d/%02d", year, month, day);
    return QString::asprintf("%04d/%02d/%02d %d:%02d:%02d", year, month, day, hour, minute, second);
}

TEST(DayCountText, EverySecondOfADayRoundTrips)
{
    double previous = 0;
    for (int s = 0; s < 86400; ++s) {
        const int hour = s / 3600;
        const int minute = s / 60 % 60;
        const int second = s % 60;
        const QString text = Stored(2024, 3, 5, hour, minute, second);
        const double days = DayCountFromText(text);
        ASSERT_EQ(Text(days), text.toStdString());
        ASSERT_GT(days, previous) << text.toStdString();
        previous = days;

        const QDateTime local = store::FromDayCount(days);
        ASSERT_EQ(local.date(), QDate(2024, 3, 5));
        ASSERT_EQ(local.time(), QTime(hour, minute, second)) << text.toStdString();
        ASSERT_EQ(store::ToDayCount(local), days);
    }
}

TEST(DayCountText, DaysAcrossYearsMatchTheWindowsSerials)
{
    // Serial numbers as Windows programs (and spreadsheets from 1900/03/01 on) count them.
    struct Case {
        int year, month, day;
        double serial;
    };
    const Case cases[] = {
        {1899, 12, 31, 1},    {1900, 1, 1, 2},     {1900, 3, 1, 61},      {2000, 1, 1, 36526},
        {2000, 2, 29, 36585}, {2000, 3, 1, 36586}, {2023, 12, 31, 45291}, {2024, 1, 1, 45292},
        {2024, 2, 29, 45351}, {2024, 3, 5, 45356}, {2100, 3, 1, 73110},   {9999, 12, 31, 2958465},
    };
    for (const Case& c : cases) {
        const QString date = Stored(c.year, c.month, c.day, 0, 0, 0);
        EXPECT_EQ(DayCountFromText(date), c.serial) << date.toStdString();
        EXPECT_EQ(Text(c.serial), date.toStdString());
        for (const int s : {1, 59, 3600 + 7 * 60, 12 * 3600, 86399}) {
            const QString text = Stored(c.year, c.month, c.day, s / 3600, s / 60 % 60, s % 60);
            const double days = DayCountFromText(text);
            EXPECT_EQ(Text(days), text.toStdString());
            EXPECT_NEAR(days, c.serial + s / 86400.0, 1e-9) << text.toStdString();
        }
    }
    EXPECT_EQ(store::EncodeDayCount(2023, 2, 29, 0, 0, 0), std::nullopt);
    EXPECT_EQ(store::EncodeDayCount(2024, 3, 5, 24, 0, 0), std::nullopt);
    EXPECT_EQ(store::EncodeDayCount(1899, 12, 29, 12, 0, 0), std::nullopt);
    EXPECT_EQ(store::EncodeDayCount(2024, 3, 5, 21, 7, 0),
              DayCountFromText(QStringLiteral("2024/03/05 21:07:00")));
}

TEST(DayCountText, MidnightAndNone)
{
    EXPECT_EQ(Text(45356), "2024/03/05");
    EXPECT_EQ(Text(0), "1899/12/30");
    EXPECT_EQ(DayCountFromText(QStringLiteral("1899/12/30")), 0);
    EXPECT_EQ(DayCountFromText(QStringLiteral("1899/12/30 0:00:00")), 0);
    EXPECT_DOUBLE_EQ(DayCountFromText(QStringLiteral("1899/12/30 12:00:00")), 0.5);
    EXPECT_EQ(Text(0.5), "1899/12/30 12:00:00");

    EXPECT_FALSE(store::FromDayCount(0).isValid());
    EXPECT_FALSE(store::FromDayCount(-1.5).isValid());
    EXPECT_FALSE(store::FromDayCount(1e12).isValid());
    EXPECT_FALSE(store::FromDayCount(std::numeric_limits<double>::quiet_NaN()).isValid());
    EXPECT_EQ(Text(-3), "1899/12/30");
    EXPECT_EQ(store::ToDayCount(QDateTime()), 0);
}

TEST(DayCountText, FloatingErrorRoundsToTheNearestMillisecond)
{
    const double sevenPastNine = 45356 + (21 * 3600 + 7 * 60) / 86400.0;
    EXPECT_EQ(Text(sevenPastNine - 1e-10), "2024/03/05 21:07:00");
    EXPECT_EQ(Text(sevenPastNine + 1e-10), "2024/03/05 21:07:00");
    // 0.4 ms short of midnight is midnight of the next day.
    EXPECT_EQ(Text(45357 - 0.0004 / 86400), "2024/03/06");
    // A time built through a sum of small steps, as a timer would, still reads right.
    double summed = 45356;
    for (int i = 0; i < 21 * 60 + 7; ++i)
        summed += 1.0 / 1440;
    EXPECT_EQ(Text(summed), "2024/03/05 21:07:00");
    // Below the half second the stored text shows the second that has begun.
    EXPECT_EQ(Text(sevenPastNine + 0.999 / 86400), "2024/03/05 21:07:00");
}

TEST(DayCountText, LenientReads)
{
    const double expected = DayCountFromText(QStringLiteral("2024/03/05 09:07:00"));
    ASSERT_NE(expected, 0);
    for (const char* text : {"2024/3/5 9:07", "2024/03/05 9:07:00", "2024/3/05 09:7:0",
                             "  2024/03/05 9:07:00 ", "2024/03/05  9:07", "\t2024/3/5 9:7:00\r\n"}) {
        EXPECT_EQ(DayCountFromText(QString::fromLatin1(text)), expected) << text;
    }
    EXPECT_EQ(Text(DayCountFromText(QStringLiteral("2024/3/5"))), "2024/03/05");
}

TEST(DayCountText, RejectedTextsReadAsNone)
{
    // Dates that do not exist, times past the day, other separators, digits too many or too few.
    const QStringList rejected =
        QStringLiteral(
            "abc||   |2024/02/30|2023/02/29|2024/13/01|2024/00/10|2024/03/00|2024/03/05 24:00:00|"
            "2024/03/05 23:60:00|2024/03/05 23:59:60|2024-03-05|24/03/05|02024/03/05|2024/003/05|"
            "2024/03/05 9|2024/03/05 9:|2024/03/05 9:07:|2024/03/05 9:07:00:00|2024/03/05 -1:07:00|"
            "2024/03/05x|2024/03/05 9:07 pm|2024/03/05T09:07:00|1899/12/29|0000/01/01|2024/+3/05|"
            "2024/03/05 100:00")
            .split(u'|');
    ASSERT_EQ(rejected.size(), 27);
    for (const QString& text : rejected)
        EXPECT_EQ(DayCountFromText(text), 0) << text.toStdString();
    // Full-width digits are not the stored form either.
    EXPECT_EQ(DayCountFromText(QStringLiteral("２０２４/03/05")), 0);
}

TEST(DayCountLocalTime, OtherZonesConvertToLocalWallClock)
{
    const QDateTime local(QDate(2024, 3, 5), QTime(21, 7), Qt::LocalTime);
    const double days = store::ToDayCount(local);
    EXPECT_EQ(Text(days), "2024/03/05 21:07:00");
    EXPECT_EQ(store::ToDayCount(local.toUTC()), days);
    EXPECT_EQ(store::ToDayCount(local.toTimeZone(QTimeZone("Asia/Tokyo"))), days);
    EXPECT_EQ(store::FromDayCount(days), local);
}

using testsupport::ZoneOverride;

TEST(DayCountLocalTime, DaylightSavingNeverShiftsTheStoredClock)
{
    const ZoneOverride zone("Europe/Berlin");
    // 2:30 does not exist on the day clocks spring forward and 2:30 comes twice in autumn;
    // the stored text is a wall clock and keeps its hour either way.
    for (const char* text : {"2024/03/31 2:30:00", "2024/03/31 1:59:59", "2024/03/31 3:00:00",
                             "2024/10/27 2:30:00", "2024/03/30 2:30:00", "2024/04/01"}) {
        EXPECT_EQ(Text(DayCountFromText(QString::fromLatin1(text))), text);
    }
    // Whole days stay whole across the change: a week after is seven days on.
    EXPECT_EQ(DayCountFromText(QStringLiteral("2024/04/03 9:00:00")) -
                  DayCountFromText(QStringLiteral("2024/03/27 9:00:00")),
              7);
    const QDateTime summer(QDate(2024, 7, 1), QTime(12, 0), Qt::LocalTime);
    ASSERT_EQ(summer.offsetFromUtc(), 7200) << "the zone did not take effect";
    EXPECT_EQ(Text(store::ToDayCount(summer)), "2024/07/01 12:00:00");
    // On the days of the change the clock reading counts, not the hours elapsed since midnight.
    EXPECT_EQ(Text(store::ToDayCount(QDateTime(QDate(2024, 3, 31), QTime(3, 0), Qt::LocalTime))),
              "2024/03/31 3:00:00");
    EXPECT_EQ(Text(store::ToDayCount(QDateTime(QDate(2024, 10, 27), QTime(4, 0), Qt::LocalTime))),
              "2024/10/27 4:00:00");
}

} // namespace
