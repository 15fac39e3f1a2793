#include "retrieval/ItemPageScraper.h"

#include "retrieval/ScrapeTestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace scrapetest;
using store::ColSokketugaku;
using store::ColTitle;

namespace {

// ---- Registration extras ----

class ScrapeRegistrationTest : public ScrapeTest {
protected:
    ScrapeRegistrationTest() { registering = true; }
};

TEST_F(ScrapeRegistrationTest, TitleLosesTheSitePrefixAndItsBlanks)
{
    ASSERT_TRUE(Scrape(Page(QStringList{u"<title>ヤフオク! -   Nikon F3 ボディ</title>"_s})).Ok);
    EXPECT_EQ(Cells()[ColTitle], u"Nikon F3 ボディ"_s);
    ASSERT_TRUE(Scrape(Page(QStringList{u"<title> Nikon F3 - ヤフオク! </title>"_s})).Ok);
    EXPECT_EQ(Cells()[ColTitle], u"Nikon F3 - ヤフオク!"_s);
    // A registration never raises a price change.
    EXPECT_FALSE(notice.KakakuChanged);
}

TEST_F(ScrapeRegistrationTest, TitleClosingOnTheNextLineOrTooFarLeavesItEmpty)
{
    ASSERT_TRUE(
        Scrape(Page(QStringList{u"<title>Nikon F3"_s, u"</title>"_s, u"<title>second</title>"_s})).Ok);
    EXPECT_EQ(Cells()[ColTitle], QString()) << "only the first title line counts";

    ASSERT_TRUE(Scrape(Page(QStringList{u"<title>"_s + QString(1000, u'a') + u"</title>"_s})).Ok);
    EXPECT_EQ(Cells()[ColTitle], QString(1000, u'a'));
    ASSERT_TRUE(Scrape(Page(QStringList{u"<title>"_s + QString(1001, u'a') + u"</title>"_s})).Ok);
    EXPECT_EQ(Cells()[ColTitle], QString());
}

TEST_F(ScrapeRegistrationTest, EveryPictureBlockWhoseAddressEndsInJpgOrGifIsOfferedInTurn)
{
    const QString base = u"https://auctions.c.yimg.jp/images/a"_s;
    const QStringList page = QStringList{u"<title>x</title>"_s} + PictureBlock(base + u".JPG"_s) +
                             PictureBlock(base + u".jpeg"_s) + PictureBlock(base + u".jpg?w=600"_s) +
                             PictureBlock(base + u".jpg"_s) + PictureBlock(base + u"2.jpg"_s);
    const auto result = Scrape(Page(page), 3);
    ASSERT_TRUE(result.Ok);
    ASSERT_EQ(result.Pictures.size(), 2u);
    EXPECT_EQ(result.Pictures[0].Url, base + u".jpg"_s);
    EXPECT_EQ(result.Pictures[0].FileName, dir.path() + u"/Image0_2.jpg"_s);
    EXPECT_EQ(result.Pictures[1].Url, base + u"2.jpg"_s);
    // A GIF keeps its extension; a check reads no pictures.
    EXPECT_EQ(Scrape(Page(PictureBlock(u"https://x/a.gif"_s))).Pictures[0].FileName,
              dir.path() + u"/Image0_0.gif"_s);
    registering = false;
    EXPECT_TRUE(Scrape(Page(page), 3).Pictures.empty());
}

TEST_F(ScrapeRegistrationTest, EndedPageIsUpdatedFirstThenGetsThePageTitle)
{
    now = QDateTime(QDate(2024, 5, 20), QTime(8, 0));
    Cells()[ColTitle].clear();
    ASSERT_TRUE(Scrape(Page(RunningPage() + QStringList{EndedNotice()})).Ok);
    EXPECT_TRUE(Sched().Ended);
    EXPECT_EQ(tray.balloons.size(), 1u);
    EXPECT_EQ(Stored(store::settei::Title), u"[終了]"_s);
    EXPECT_EQ(Cells()[ColTitle], u"Nikon F3"_s);
    // Buy-it-now is searched when registering: none on the page empties the cell.
    EXPECT_EQ(Cells()[ColSokketugaku], QString());
}

} // namespace
