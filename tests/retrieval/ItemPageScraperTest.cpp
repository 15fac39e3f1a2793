#include "retrieval/ItemPageScraper.h"

#include "retrieval/ScrapeTestSupport.h"
#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/StoredFiles.h"

#include <QDateTime>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace scrapetest;
using store::ColDay;
using store::ColHour;
using store::ColKakaku;
using store::ColMinute;
using store::ColMonth;
using store::ColNyusatu;
using store::ColSokketugaku;
using store::ColTitle;

namespace {

// ---- The four values a check reads ----

TEST_F(ScrapeTest, PriceCheckReadsTheFourFieldsAndStoresBidsAndChangedPrice)
{
    ASSERT_TRUE(Scrape(Page(RunningPage())).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"1,200円"_s);
    EXPECT_EQ(Cells()[ColNyusatu], u"5"_s);
    EXPECT_EQ((QStringList{Cells()[ColMonth], Cells()[ColDay], Cells()[ColHour], Cells()[ColMinute]}),
              (QStringList{u"05"_s, u"12"_s, u"21"_s, u"34"_s}));
    EXPECT_TRUE(notice.KakakuChanged);
    EXPECT_EQ(model.SlotAt(0, 1).KakakuText, u"1,200円"_s);
    EXPECT_EQ(Stored(store::settei::Nyusatu), u"5"_s);
    EXPECT_EQ(Stored(store::settei::Kakaku), u"1,200円"_s);
    // A price check leaves the title, the end time side table and the stored end alone.
    EXPECT_EQ(Cells()[ColTitle], u"Nikon F3"_s);
    EXPECT_EQ(model.SlotAt(0, 1).ShuryoTime, 0.0);
    EXPECT_EQ(Stored(store::settei::ShuryoTime), u"<none>"_s);
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(ScrapeTest, UnchangedPriceIsNotStoredAndRaisesNoChange)
{
    ASSERT_TRUE(Scrape(Page(RunningPage(u"1,000円"_s))).Ok);
    EXPECT_FALSE(notice.KakakuChanged);
    EXPECT_EQ(Stored(store::settei::Kakaku), u"<none>"_s);
    EXPECT_EQ(Stored(store::settei::Nyusatu), u"5"_s);

    // A changed price raises the change; a page whose price does not read keeps the cell and
    // takes the change back.
    const QString pad99 = QString(98, u' ') + u'7';
    ASSERT_TRUE(Scrape(Page(RunningPage(pad99 + u"円"_s))).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"7円"_s);
    EXPECT_TRUE(notice.KakakuChanged);
    ASSERT_TRUE(Scrape(Page(RunningPage(pad99 + u"8円"_s))).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"7円"_s) << "the old text stays";
    EXPECT_FALSE(notice.KakakuChanged);
}

TEST_F(ScrapeTest, EmptyBidCountEmptiesTheCellAndTheStoredCount)
{
    ASSERT_TRUE(Scrape(Page(QStringList{u"<dt class=\"Count__title\">入札件数</dt>"_s,
                                        u"<dd class=\"Count__number\"><a href=\"#\">0</a>"_s}))
                    .Ok);
    EXPECT_EQ(Cells()[ColNyusatu], QString());
    EXPECT_EQ(Stored(store::settei::Nyusatu), QString());
}

TEST_F(ScrapeTest, EndTimeThatDoesNotReadFailsAndKeepsTheEndCells)
{
    ASSERT_TRUE(Scrape(Page(EndBlock(u"2024.06.03（月） 9:05"_s))).Ok);
    EXPECT_EQ((QStringList{Cells()[ColMonth], Cells()[ColDay], Cells()[ColHour], Cells()[ColMinute]}),
              (QStringList{u"06"_s, u"03"_s, u"9"_s, u"05"_s}));

    // A bracket before the digit makes the hour unreadable: an error, and the cells keep
    // the end time they had instead of half a new one; so does a value with nothing in it.
    for (const QString& value : {u"2024.07.04（木）8:15"_s, QString()}) {
        const auto result = Scrape(Page(EndBlock(value)));
        EXPECT_FALSE(result.Ok);
        EXPECT_EQ(result.Error, retrieval::InvalidEndTimeMessage());
        EXPECT_EQ((QStringList{Cells()[ColMonth], Cells()[ColDay], Cells()[ColHour], Cells()[ColMinute]}),
                  (QStringList{u"06"_s, u"03"_s, u"9"_s, u"05"_s}));
        EXPECT_FALSE(Sched().Ended);
    }
}

// ---- Buy-it-now ----

TEST_F(ScrapeTest, BuyItNowOnlyBecomesTheCurrentPrice)
{
    Cells()[ColSokketugaku] = u"5,000円"_s;
    ASSERT_TRUE(Scrape(Page(SokketuBlock(u"5,500円"_s) + CountBlock(u"0"_s))).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"5,500円"_s);
    EXPECT_EQ(Cells()[ColSokketugaku], u"5,500円"_s);
    EXPECT_TRUE(model.SlotAt(0, 1).SokketuEnd);
    EXPECT_FALSE(Sched().Ended);
}

TEST_F(ScrapeTest, BuyItNowCellIsEmptiedOnlyWhenSearchedMissingAndNotEnded)
{
    // Empty cell: never searched during a price check, even when the page shows one.
    ASSERT_TRUE(Scrape(Page(RunningPage() + SokketuBlock(u"1,200円"_s))).Ok);
    EXPECT_EQ(Cells()[ColSokketugaku], QString());
    EXPECT_FALSE(model.SlotAt(0, 1).SokketuEnd);

    // A held price that the page no longer shows is emptied.
    Cells()[ColSokketugaku] = u"9,000円"_s;
    ASSERT_TRUE(Scrape(Page(RunningPage())).Ok);
    EXPECT_EQ(Cells()[ColSokketugaku], QString());

    // ... unless the slot has ended.
    Cells()[ColSokketugaku] = u"9,000円"_s;
    Sched().Ended = true;
    ASSERT_TRUE(Scrape(Page(RunningPage() + QStringList{EndedNotice()})).Ok);
    EXPECT_EQ(Cells()[ColSokketugaku], u"9,000円"_s);

    // Equal to the current price: the price stands at buy-it-now.
    Sched().Ended = false;
    ASSERT_TRUE(Scrape(Page(RunningPage(u"9,000円"_s) + SokketuBlock(u"9,000円"_s))).Ok);
    EXPECT_TRUE(model.SlotAt(0, 1).SokketuEnd);
}

// ---- The ended notice ----

TEST_F(ScrapeTest, NoticeOnASlotAlreadyEndedStopsTheScanAndChangesNothingElse)
{
    Sched().Ended = true;
    Cells()[ColTitle] = u"[終了]Nikon F3"_s;
    ASSERT_TRUE(Scrape(Page(QStringList{EndedNotice()} + RunningPage())).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"1,000円"_s);
    EXPECT_EQ(Cells()[ColNyusatu], u"3"_s);
    EXPECT_EQ(Cells()[ColTitle], u"[終了]Nikon F3"_s);
    EXPECT_TRUE(Sched().Ended);
    EXPECT_TRUE(tray.balloons.empty());
    EXPECT_EQ(Stored(store::settei::Title), u"Nikon F3"_s);
}

TEST_F(ScrapeTest, NoticeBelowAllFourValuesIsNotMet)
{
    // Without a buy-it-now price to look for, the check has all it wants at the end time.
    ASSERT_TRUE(Scrape(Page(RunningPage() + QStringList{EndedNotice()})).Ok);
    EXPECT_FALSE(Sched().Ended);
    EXPECT_TRUE(tray.balloons.empty());
    EXPECT_EQ(Cells()[ColTitle], u"Nikon F3"_s);
}

TEST_F(ScrapeTest, NoticeOnARunningSlotReadsFinalFiguresAndEndsIt)
{
    now = QDateTime(QDate(2024, 5, 13), QTime(8, 0));
    Cells()[ColSokketugaku] = u"3,000円"_s;
    // The notice stands above the figures: the ended step reads them from the top.
    ASSERT_TRUE(
        Scrape(Page(QStringList{EndedNotice()} + RunningPage(u"1,900円"_s) + SokketuBlock(u"3,000円"_s))).Ok);
    EXPECT_EQ(Cells()[ColTitle], u"[終了]Nikon F3"_s);
    EXPECT_EQ(Cells()[ColKakaku], u"1,900円"_s);
    EXPECT_EQ(Cells()[ColNyusatu], u"5"_s);
    EXPECT_TRUE(Sched().Ended);
    EXPECT_EQ(model.SlotAt(0, 1).ShuryoTime, Day(2024, 5, 12, 21, 34));
    EXPECT_EQ(Stored(store::settei::Title), u"[終了]Nikon F3"_s);
    EXPECT_EQ(Stored(store::settei::ShuryoTime), u"2024/05/12 21:34:00"_s);
    EXPECT_EQ(Stored(store::settei::Kakaku), u"1,900円"_s);
    EXPECT_EQ(Stored(store::settei::Sokketugaku), u"3,000円"_s);
    EXPECT_EQ(Stored(store::settei::Rakusatuhin), u"0"_s);
    ASSERT_EQ(tray.balloons.size(), 1u);
    EXPECT_EQ(tray.balloons[0].first, u"オークション終了"_s);
    EXPECT_EQ(tray.balloons[0].second, u"1,900円\r\nカメラ No1-Nikon F3"_s);
    EXPECT_EQ(model.SlotAt(0, 1).KakakuText, u"1,900円"_s);
}

TEST_F(ScrapeTest, NoticeWithAFutureEndTimeIsUpdatedThenRevertedInTheSameCall)
{
    Cells()[store::ColArarmHour] = u"21"_s;
    Cells()[store::ColArarmMinute] = u"00"_s;
    ASSERT_TRUE(Scrape(Page(QStringList{EndedNotice()} + RunningPage())).Ok);
    // The end notice went out before the revert.
    ASSERT_EQ(tray.balloons.size(), 1u);
    EXPECT_EQ(Cells()[ColTitle], u"Nikon F3"_s);
    EXPECT_FALSE(Sched().Ended);
    EXPECT_EQ(Cells()[store::ColArarmHour], QString());
    EXPECT_EQ(Cells()[store::ColArarmMinute], QString());
    const auto& slot = model.SlotAt(0, 1);
    EXPECT_EQ(slot.ShuryoTime, Day(2024, 5, 12, 21, 34));
    EXPECT_NEAR(slot.ArarmTime, Day(2024, 5, 12, 21, 24), 1e-9);
    EXPECT_EQ(Stored(store::settei::Title), u"Nikon F3"_s);
    EXPECT_EQ(Stored(store::settei::ShuryoTime), u"2024/05/12 21:34:00"_s);
    EXPECT_EQ(Stored(store::settei::ArarmTime), u"<none>"_s);
    EXPECT_EQ(Stored(store::settei::URL), ItemUrl());
}

TEST_F(ScrapeTest, NoticeAgainAfterAFutureEndTimeKeepsTheSlotEnded)
{
    // Without a buy-it-now price the walk goes on after the ended step, and the second
    // notice stands for the end: nothing is reverted.
    ASSERT_TRUE(Scrape(Page(QStringList{EndedNotice()} + RunningPage() + QStringList{EndedNotice()})).Ok);
    EXPECT_TRUE(Sched().Ended);
    EXPECT_EQ(Cells()[ColTitle], u"[終了]Nikon F3"_s);
    EXPECT_EQ(Stored(store::settei::Title), u"[終了]Nikon F3"_s);
}

TEST_F(ScrapeTest, JanuaryEndReadInDecemberIsNextYear)
{
    now = QDateTime(QDate(2024, 12, 30), QTime(12, 0));
    ASSERT_TRUE(Scrape(Page(EndBlock(u"2025.01.03（金）10:00"_s) + QStringList{EndedNotice()})).Ok);
    EXPECT_FALSE(Sched().Ended) << "3 January lies ahead of 30 December";
    EXPECT_EQ(model.SlotAt(0, 1).ShuryoTime, Day(2025, 1, 3, 10, 0));

    // Read on 2 January the same date is this year's, and already over.
    now = QDateTime(QDate(2025, 1, 5), QTime(12, 0));
    Sched().Ended = false;
    ASSERT_TRUE(Scrape(Page(EndBlock(u"2025.01.03（金）10:00"_s) + QStringList{EndedNotice()})).Ok);
    EXPECT_TRUE(Sched().Ended);
    EXPECT_EQ(model.SlotAt(0, 1).ShuryoTime, Day(2025, 1, 3, 10, 0));
}

struct WonCase {
    int ownBid;
    const char16_t* price;
    const char16_t* sokketu; // empty: none on the page
    bool won;
};

class ScrapeWonTest : public ScrapeTest, public ::testing::WithParamInterface<WonCase> {};

TEST_P(ScrapeWonTest, DecidesFromTheOwnBid)
{
    const WonCase c = GetParam();
    now = QDateTime(QDate(2024, 5, 20), QTime(8, 0));
    Sched().OwnBid = c.ownBid;
    QStringList page = QStringList{EndedNotice()} + RunningPage(QString::fromUtf16(c.price));
    if (*c.sokketu)
        page += SokketuBlock(QString::fromUtf16(c.sokketu));
    ASSERT_TRUE(Scrape(Page(page)).Ok);
    EXPECT_EQ(Sched().Won, c.won);
    EXPECT_EQ(Stored(store::settei::Rakusatuhin), c.won ? u"1"_s : u"0"_s);
    ASSERT_EQ(tray.balloons.size(), 1u);
    EXPECT_EQ(tray.balloons[0].first, c.won ? u"落札しました!"_s : u"オークション終了"_s);
}

// Readable and the same in every build, e.g. "Bid1500Price1600Sokketu1500Won".
std::string WonCaseName(const ::testing::TestParamInfo<WonCase>& info)
{
    const auto digits = [](const char16_t* text) {
        QString kept;
        for (const QChar c : QString::fromUtf16(text))
            if (c >= u'0' && c <= u'9')
                kept += c;
        return kept;
    };
    const WonCase& c = info.param;
    QString name = u"Bid"_s + QString::number(c.ownBid) + u"Price"_s + digits(c.price);
    if (*c.sokketu)
        name += u"Sokketu"_s + digits(c.sokketu);
    name += c.won ? u"Won"_s : u"Lost"_s;
    return name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, ScrapeWonTest,
                         ::testing::Values(WonCase{1500, u"1,400円", u"", true},
                                           WonCase{1500, u"1,600円", u"", false},
                                           WonCase{1500, u"1,500円", u"", true},
                                           WonCase{0, u"1,400円", u"", false}, WonCase{0, u"0円", u"", false},
                                           WonCase{1500, u"1,600円", u"1,500円", true},
                                           WonCase{1500, u"1,600円", u"2,000円", false},
                                           WonCase{1500, u"99999999999999999999円", u"", false}),
                         WonCaseName);

// ---- Budget and stored price ----

TEST_F(ScrapeTest, ChangedPriceSetsOverBudgetAndRepaintsTheShowingCategory)
{
    Sched().Budget = 1100;
    window.visible = true;
    model.ActivePage = 1;
    ASSERT_TRUE(Scrape(Page(RunningPage(u"1,200円"_s))).Ok);
    EXPECT_TRUE(Sched().OverBudget);
    EXPECT_EQ(window.repaints, std::vector<int>{0});

    ASSERT_TRUE(Scrape(Page(RunningPage(u"1,050円"_s))).Ok);
    EXPECT_FALSE(Sched().OverBudget);
    EXPECT_EQ(window.repaints.size(), 1u);
}

TEST_F(ScrapeTest, ChangedPriceOfASlotNotYetSavedRemovesItsSection)
{
    // Row 2 has a section without URL (a leftover), which a changed price removes.
    model.SlotAt(0, 2).Cells[store::ColURL] = ItemUrl();
    ASSERT_TRUE(Scrape(Page(RunningPage()), 2).Ok);
    EXPECT_FALSE(store::IniFile(File()).SectionExists(u"2"_s));
    EXPECT_EQ(Stored(store::settei::URL), ItemUrl()) << "other rows stay";
}

TEST_F(ScrapeTest, AddressWithoutThePrefixReadsNoLineButStillStores)
{
    Cells()[ColSokketugaku] = u"9,000円"_s;
    ASSERT_TRUE(Scrape(Page(RunningPage()), 1, u"https://auctions.yahoo.co.jp/x"_s).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"1,000円"_s);
    EXPECT_EQ(Cells()[ColSokketugaku], QString());
    EXPECT_EQ(Stored(store::settei::Nyusatu), u"3"_s);
    ASSERT_TRUE(Scrape(Page(RunningPage()), 1, u"HTTPS://PAGE.auctions.yahoo.co.jp/x"_s).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"1,000円"_s) << "the prefix compares with case";
}

// ---- Pages that are not what they should be ----

TEST_F(ScrapeTest, EmptyPageShowsTheMessageAndLeavesEverything)
{
    const QByteArray before = store::IniFile(File()).ToBytes();
    const auto cells = Cells();
    ASSERT_TRUE(Scrape(QByteArray()).Ok);
    EXPECT_EQ(dialogs.texts(), QStringList{retrieval::EmptyPageMessage()});
    EXPECT_EQ(Cells(), cells);
    EXPECT_EQ(store::IniFile(File()).ToBytes(), before);
}

TEST_F(ScrapeTest, PageShowingNothingLeavesTheSlotAndSaysSo)
{
    const auto cells = Cells();
    const auto result =
        Scrape(u"<html>\r\n"_s.toUtf8() + Page(QStringList{u"<dt class=\"Price__title\">現在価格"_s}, u""_s));
    ASSERT_TRUE(result.Ok);
    EXPECT_TRUE(result.Unread);
    EXPECT_EQ(Cells(), cells);
    EXPECT_FALSE(Sched().Ended);
}

TEST_F(ScrapeTest, HugePriceIsKeptAsTextAndCountsAsNothing)
{
    Sched().Budget = 100;
    ASSERT_TRUE(Scrape(Page(RunningPage(u"99999999999999999999999999円"_s))).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"99999999999999999999999999円"_s);
    EXPECT_FALSE(Sched().OverBudget);
}

} // namespace
