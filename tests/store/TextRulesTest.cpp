#include "store/TextRules.h"

#include "store/DayCount.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace Qt::StringLiterals;

// Readable failures: gtest would otherwise print a QString as raw bytes.
static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QDate June(2026, 6, 15), December(2026, 12, 20);

QString AsText(std::optional<double> days)
{
    return days ? store::DayCountToText(*days) : u"none"_s;
}

// The grid cells as "month|day|hour|minute"; for the alarm "month|day|endHour|alarmHour|alarmMinute".
QString End(const QString& cells, QDate today)
{
    const QStringList c = cells.split(u'|');
    return AsText(store::EncodeEndTime(c[0], c[1], c[2], c[3], today));
}
QString Alarm(const QString& cells, QDate today)
{
    const QStringList c = cells.split(u'|');
    return AsText(store::EncodeAlarmTime(c[0], c[1], c[2], c[3], c[4], today));
}

TEST(TextRules, OnlyATitleBeginningWithTheMarkerHasEnded)
{
    EXPECT_TRUE(store::IsEnded(u"[終了]カメラ"_s));
    EXPECT_TRUE(store::IsEnded(u"[終了]"_s));
    for (const QString& title :
         {u" [終了]カメラ"_s, u"カメラ[終了]"_s, u"[終了"_s, u"［終了］カメラ"_s, QString()})
        EXPECT_FALSE(store::IsEnded(title)) << title.toStdString();
}

TEST(TextRules, PriceDropsYenCommasAndSurroundingBlanks)
{
    EXPECT_EQ(store::PriceValue(u"12,345円"_s), 12345);
    EXPECT_EQ(store::PriceValue(u" 3,000 "_s), 3000);
    EXPECT_EQ(store::PriceValue(u"\t3000\u3000"_s), 3000);
    EXPECT_EQ(store::PriceValue(u"1,2,3"_s), 123);
    EXPECT_EQ(store::PriceValue(u"-5"_s), -5);
    EXPECT_EQ(store::PriceValue(u"+7円"_s), 7);
    EXPECT_EQ(store::PriceValue(u"2147483647"_s), 2147483647);
    EXPECT_EQ(store::PriceValue(u"-2147483648"_s), -2147483647 - 1);
    for (const QString& text : {u"円"_s, u""_s, u"-"_s, u"3 000"_s, u"三万"_s, u"30000ドル"_s, u"３０００"_s,
                                u"2147483648"_s, u"-2147483649"_s, u"99999999999999999999"_s})
        EXPECT_EQ(store::PriceValue(text), std::nullopt) << text.toStdString();
}

TEST(TextRules, CellIntegerTakesTheTextAsItIs)
{
    EXPECT_EQ(store::CellInteger(u"05"_s), 5);
    EXPECT_EQ(store::CellInteger(u"+5"_s), 5);
    EXPECT_EQ(store::CellInteger(u"-0"_s), 0);
    for (const QString& text :
         {u" 5"_s, u"5 "_s, u"1,000"_s, u"5円"_s, u"1.5"_s, u"+-5"_s, u"+"_s, u""_s, u"2147483648"_s})
        EXPECT_EQ(store::CellInteger(text), std::nullopt) << text.toStdString();
}

TEST(TextRules, SlotLabelAndSummary)
{
    const QString price = u"12,345円"_s;
    EXPECT_EQ(store::SlotLabel(u"カメラ"_s, 3, price, true, false, true),
              u"カメラ No3: 12,345円(終了)(予算オーバー)"_s);
    EXPECT_EQ(store::SlotLabel(u"カメラ"_s, 12, price, true, true, false), u"カメラ No12: 12,345円(落札)"_s);
    // Won without the end having come is no win yet.
    EXPECT_EQ(store::SlotLabel(u"カメラ"_s, 3, price, false, true, false), u"カメラ No3: 12,345円"_s);
    EXPECT_EQ(store::SlotLabel(QString(), 3, price, false, false, true), u" No3: 12,345円(予算オーバー)"_s);

    EXPECT_EQ(store::FavouriteSummary({u"a"_s, u"b"_s}, true), u"a\r\nb"_s);
    EXPECT_EQ(store::FavouriteSummary({}, true), u"ミルベロ"_s);
    EXPECT_EQ(store::FavouriteSummary({}, false), QString());
}

TEST(TextRules, OnlyHttpAndHttpsAddressesWithAHostAreWebAddresses)
{
    const QString item = u"https://page.auctions.yahoo.co.jp/jp/auction/a"_s;
    EXPECT_EQ(store::WebAddress(item), item);
    EXPECT_EQ(store::WebAddress(u"HTTP://Example.com/x"_s), u"http://example.com/x"_s);
    for (const QString& refused :
         {u"ftp://example.com/x"_s, u"file:///etc/passwd"_s, u"https://"_s,
          u"page.auctions.yahoo.co.jp/jp/auction/a"_s, u"-platform"_s, u""_s, u"https://exa mple.com/"_s})
        EXPECT_FALSE(store::WebAddress(refused)) << refused.toStdString();
}

TEST(TextRules, EndTimeTakesThisYearOrNextForJanuaryInDecember)
{
    EXPECT_EQ(End(u"7|20|21|30"_s, June), u"2026/07/20 21:30:00"_s);
    EXPECT_EQ(End(u"01|05|10|00"_s, December), u"2027/01/05 10:00:00"_s);
    EXPECT_EQ(End(u"12|31|23|59"_s, December), u"2026/12/31 23:59:00"_s);
    EXPECT_EQ(End(u"1|5|0|0"_s, QDate(2026, 11, 30)), u"2026/01/05"_s);
    EXPECT_EQ(End(u"12|31|23|0"_s, QDate(2027, 1, 2)), u"2027/12/31 23:00:00"_s);
    EXPECT_EQ(End(u"2|29|12|0"_s, QDate(2028, 3, 1)), u"2028/02/29 12:00:00"_s);
    // No such date or time of day, or a cell that is no plain integer.
    for (const QString& cells :
         {u"2|29|12|0"_s, u"2|30|12|0"_s, u"4|31|12|0"_s, u"0|1|12|0"_s, u"7|0|12|0"_s, u"7|20|24|0"_s,
          u"7|20|-1|0"_s, u"7|20|12|60"_s, u" 7|20|12|0"_s, u"7|２０|12|0"_s, u"7|20||0"_s})
        EXPECT_EQ(End(cells, June), u"none"_s) << cells.toStdString();
    EXPECT_EQ(End(u"13|1|12|0"_s, December), u"none"_s);
}

TEST(TextRules, AlarmLiesOnTheEndDateOrTheDayBefore)
{
    EXPECT_EQ(Alarm(u"7|20|0|23|55"_s, June), u"2026/07/19 23:55:00"_s);
    EXPECT_EQ(Alarm(u"7|20|23|22|50"_s, June), u"2026/07/20 22:50:00"_s);
    EXPECT_EQ(Alarm(u"7|20|10|10|20"_s, June), u"2026/07/20 10:20:00"_s);
    // Back across the end of February, in a leap year and in a common one.
    EXPECT_EQ(Alarm(u"3|1|0|23|0"_s, QDate(2028, 2, 10)), u"2028/02/29 23:00:00"_s);
    EXPECT_EQ(Alarm(u"3|1|0|23|0"_s, June), u"2026/02/28 23:00:00"_s);
    // A January end seen in December keeps the alarm next to it, also back across New Year.
    EXPECT_EQ(Alarm(u"1|5|10|9|0"_s, December), u"2027/01/05 9:00:00"_s);
    EXPECT_EQ(Alarm(u"1|1|0|23|55"_s, December), u"2026/12/31 23:55:00"_s);
    EXPECT_EQ(Alarm(u"1|1|0|23|55"_s, QDate(2027, 1, 1)), u"2026/12/31 23:55:00"_s);
    // The first two: an invalid end date stays invalid although the alarm would move a day back.
    for (const QString& cells : {u"2|29|0|23|0"_s, u"3|0|0|23|0"_s, u"13|1|10|9|0"_s, u"7|20|24|9|0"_s,
                                 u"7|20|x|9|0"_s, u"7|20|10|24|0"_s, u"7|20|10|9|60"_s, u"7|20|10|9| 5"_s})
        EXPECT_EQ(Alarm(cells, June), u"none"_s) << cells.toStdString();
}

} // namespace
