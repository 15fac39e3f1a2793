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
    ScrapeRegistrationTest() { model.Registering = true; }
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

TEST_F(ScrapeRegistrationTest, PictureAddressMustEndInJpgOrGif)
{
    const QString base = u"https://auctions.c.yimg.jp/images/a"_s;
    const QStringList page = QStringList{u"<title>x</title>"_s} + PictureBlock(base + u".JPG"_s) +
                             PictureBlock(base + u".jpeg"_s) + PictureBlock(base + u".jpg?w=600"_s) +
                             PictureBlock(base + u".jpg"_s) + PictureBlock(base + u"2.jpg"_s);
    ASSERT_TRUE(Scrape(Page(page), 3).Ok);
    ASSERT_EQ(pictures.calls.size(), 1u);
    EXPECT_EQ(pictures.calls[0].url, base + u".jpg"_s);
    EXPECT_EQ(pictures.calls[0].fileName, dir.path() + u"/Image0_2.jpg"_s);
    EXPECT_EQ(pictures.calls[0].row, 3);
    EXPECT_EQ(pictures.calls[0].komoku, 0);
    EXPECT_EQ(pictures.scrapingSeen, std::vector<bool>{true});
}

TEST_F(ScrapeRegistrationTest, FailedDownloadTriesTheNextBlock)
{
    pictures.results = {false, true};
    const QStringList page = PictureBlock(u"https://x/a.gif"_s) + PictureBlock(u"https://x/b.jpg"_s) +
                             PictureBlock(u"https://x/c.jpg"_s);
    ASSERT_TRUE(Scrape(Page(page)).Ok);
    ASSERT_EQ(pictures.calls.size(), 2u);
    EXPECT_EQ(pictures.calls[0].fileName, dir.path() + u"/Image0_0.gif"_s);
    EXPECT_EQ(pictures.calls[1].url, u"https://x/b.jpg"_s);
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
