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

TEST_F(ScrapeRegistrationTest, TakesThePageTitleAndRaisesNoPriceChange)
{
    ASSERT_TRUE(
        Scrape(Page(QStringList{u"<title>ヤフオク! - Nikon F3 ボディ</title>"_s} + RunningPage())).Ok);
    EXPECT_EQ(Cells()[ColTitle], u"Nikon F3 ボディ"_s);
    EXPECT_EQ(Cells()[store::ColKakaku], u"1,200円"_s);
    EXPECT_FALSE(notice.KakakuChanged);
    // A title that does not close on its line leaves the cell empty.
    ASSERT_TRUE(Scrape(Page(QStringList{u"<title>Nikon F3"_s, u"</title>"_s})).Ok);
    EXPECT_EQ(Cells()[ColTitle], QString());
}

TEST_F(ScrapeRegistrationTest, PicturesAreOfferedInTurnForTheSlotsPictureFile)
{
    const QStringList page = PictureBlock(u"https://x/a.jpg"_s) + PictureBlock(u"https://x/b.gif"_s);
    const auto result = Scrape(Page(page), 3);
    ASSERT_TRUE(result.Ok);
    ASSERT_EQ(result.Pictures.size(), 2u);
    EXPECT_EQ(result.Pictures[0].Url, u"https://x/a.jpg"_s);
    EXPECT_EQ(result.Pictures[0].FileName, dir.path() + u"/Image0_2.jpg"_s);
    // A GIF keeps its extension; a check reads no pictures.
    EXPECT_EQ(result.Pictures[1].FileName, dir.path() + u"/Image0_2.gif"_s);
    EXPECT_EQ(Scrape(Page(page)).Pictures[1].FileName, dir.path() + u"/Image0_0.gif"_s);
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
