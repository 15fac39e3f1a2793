#include "store/PriceHistory.h"
#include "support/ScratchDir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

store::PriceReading At(int minute, int price, int bids)
{
    return {QDateTime(QDate(2026, 12, 10), QTime(12, minute, 56)), price, bids};
}

class PriceHistoryFile : public ::testing::Test {
protected:
    QString path() const { return store::PriceHistoryPath(scratch.path() + u"/"_s, u"x123456789"_s); }
    QByteArray bytes() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void add(const QByteArray& raw) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(raw);
    }
    testsupport::ScratchDir scratch;
};

TEST_F(PriceHistoryFile, ACutShortOrBadLineIsSkippedAndTheNextReadingStillLands)
{
    EXPECT_TRUE(store::ReadPriceHistory(path()).empty());
    ASSERT_TRUE(store::AppendPriceReading(path(), At(34, 1200, 3)));
    EXPECT_EQ(bytes(), "2026-12-10T12:34:56 1200 3\r\n");
    // Lines that do not read, then a write cut short by a crash: it looks like a whole reading
    // but has no line end.
    add("2026-12-10T12:35:56 -5 3\r\n2026-13-10T12:35:56 1 3\r\n1300 4\r\n\r\n2026-12-10T12:36:56 1400 4");
    EXPECT_EQ(store::ReadPriceHistory(path()), std::vector{At(34, 1200, 3)});
    EXPECT_EQ(store::LastPriceReading(path()), At(34, 1200, 3));

    // The next reading starts a line of its own rather than finishing the cut one, which stays
    // unread.
    ASSERT_TRUE(store::AppendPriceReading(path(), At(37, 1500, 5)));
    EXPECT_TRUE(bytes().endsWith("12:36:56 1400 4 !\r\n2026-12-10T12:37:56 1500 5\r\n"));
    EXPECT_EQ(store::ReadPriceHistory(path()), (std::vector{At(34, 1200, 3), At(37, 1500, 5)}));

    // Beyond the tail the last reading is looked for in, with LF-only lines.
    for (int i = 0; i < 300; ++i)
        add("2026-12-10T12:38:56 1600 6\n");
    ASSERT_TRUE(store::AppendPriceReading(path(), At(39, 1700, 7)));
    EXPECT_EQ(store::LastPriceReading(path()), At(39, 1700, 7));
    EXPECT_EQ(store::ReadPriceHistory(path()).size(), 303u);
}

TEST(PriceHistoryName, TheIdIsTheLastPartOfTheItemAddress)
{
    EXPECT_EQ(store::AuctionIdOf(u"https://page.auctions.yahoo.co.jp/jp/auction/x123456789"_s),
              u"x123456789"_s);
    EXPECT_EQ(store::AuctionIdOf(u"https://page.auctions.yahoo.co.jp/jp/auction/b1234/?a=1#top"_s),
              u"b1234"_s);
    // Nothing that could name a file elsewhere.
    EXPECT_EQ(store::AuctionIdOf(u"https://page.auctions.yahoo.co.jp/jp/auction/..%2F..%2Fetc"_s),
              std::nullopt);
    EXPECT_EQ(store::AuctionIdOf(u"https://page.auctions.yahoo.co.jp/"_s), std::nullopt);
    EXPECT_EQ(store::AuctionIdOf(QString()), std::nullopt);
}

} // namespace
