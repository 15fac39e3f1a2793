#include "retrieval/ItemPageScraper.h"

#include "retrieval/PageLines.h"
#include "retrieval/ScrapeTestSupport.h"
#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/StoredFiles.h"

#include <QDateTime>
#include <QRandomGenerator>

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

// ---- The line rule and the text form of a line ----

TEST(ScrapePageLinesTest, SplitsAtCrLfLoneCrAndLoneLfAndEndsAtNul)
{
    const QByteArray body("a\r\nb\rc\nd\n\re\r\n\0after", 19);
    const retrieval::PageLines page(body);
    QStringList lines;
    for (auto line = page.LineFrom(0);; line = page.LineFrom(line.Next)) {
        lines << page.Decode(line);
        if (!page.HasNext(line))
            break;
    }
    // The final line end starts no further line; nothing after the NUL exists.
    EXPECT_EQ(lines, (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u""_s, u"e"_s}));
    EXPECT_TRUE(retrieval::PageLines(QByteArray("\0abc", 4)).IsEmpty());
}

TEST(ScrapePageLinesTest, InvalidUtf8IsEmptyAndUnstorableCharactersBecomeQuestionMarks)
{
    const auto decode = [](const QByteArray& bytes) {
        const retrieval::PageLines page(bytes);
        return page.Decode(page.LineFrom(0));
    };
    EXPECT_EQ(decode("abc\xff"
                     "def"),
              QString());
    EXPECT_EQ(decode("abc\xe5\x86"), QString()) << "a sequence cut off at the line end";
    EXPECT_EQ(decode("\xc0\xafx"), QString()) << "an overlong form";
    // An emoji is outside what CP932 holds: one "?", one character.
    EXPECT_EQ(decode(u"a😀b円"_s.toUtf8()), u"a?b円"_s);
    EXPECT_EQ(decode(u"①～"_s.toUtf8()), u"①～"_s);
}

// ---- The four extractors ----

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
}

TEST_F(ScrapeTest, PriceIsTheTrimmedTextBeforeTheFirstYenWithinOneHundredCharacters)
{
    ASSERT_TRUE(Scrape(Page(RunningPage(u" \t1,400円（税込 1,540円）"_s))).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"1,400円"_s);

    // "円" as character 100 is still found, as character 101 it is not.
    const QString pad99 = QString(98, u' ') + u'7';
    ASSERT_TRUE(Scrape(Page(RunningPage(pad99 + u"円"_s))).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"7円"_s);
    ASSERT_TRUE(Scrape(Page(RunningPage(pad99 + u"8円"_s))).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"7円"_s) << "the old text stays";
    EXPECT_FALSE(notice.KakakuChanged);
}

TEST_F(ScrapeTest, HeadingWithoutItsValueIsSkippedForTheNextHeading)
{
    // The first price block has no "円" on its value line; the bid heading's next line has no link.
    const QStringList page = QStringList{u"<dt class=\"Price__title\">現在価格</dt>"_s,
                                         u"<dd class=\"Price__value\">"_s, u"お問い合わせください"_s} +
                             QStringList{u"<dt class=\"Count__title\">入札件数</dt>"_s, u"<dd>-</dd>"_s} +
                             RunningPage(u"2,000円"_s);
    ASSERT_TRUE(Scrape(Page(page)).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"2,000円"_s);
    EXPECT_EQ(Cells()[ColNyusatu], u"5"_s);
}

TEST_F(ScrapeTest, BidCountIsWhatFollowsTheValueTagUpToTheLink)
{
    ASSERT_TRUE(Scrape(Page(QStringList{u"<dt class=\"Count__title\">入札件数</dt>"_s,
                                        u"<dd class=\"Count__number\">  12 <a href=\"#\">x</a>"_s}))
                    .Ok);
    EXPECT_EQ(Cells()[ColNyusatu], u"12"_s);
    // A link right after the tag gives an empty count, which is found all the same.
    ASSERT_TRUE(Scrape(Page(QStringList{u"<dt class=\"Count__title\">入札件数</dt>"_s,
                                        u"<dd class=\"Count__number\"><a href=\"#\">0</a>"_s}))
                    .Ok);
    EXPECT_EQ(Cells()[ColNyusatu], QString());
    EXPECT_EQ(Stored(store::settei::Nyusatu), QString());
}

TEST_F(ScrapeTest, OneDigitHourReadsOnlyWithABlankInFront)
{
    ASSERT_TRUE(Scrape(Page(EndBlock(u"2024.06.03（月） 9:05"_s))).Ok);
    EXPECT_EQ((QStringList{Cells()[ColMonth], Cells()[ColDay], Cells()[ColHour], Cells()[ColMinute]}),
              (QStringList{u"06"_s, u"03"_s, u"9"_s, u"05"_s}));

    // A bracket before the digit makes the hour unreadable: an error, and the cells keep
    // the end time they had instead of half a new one.
    const auto result = Scrape(Page(EndBlock(u"2024.07.04（木）8:15"_s)));
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Error, retrieval::InvalidEndTimeMessage());
    EXPECT_EQ((QStringList{Cells()[ColMonth], Cells()[ColDay], Cells()[ColHour], Cells()[ColMinute]}),
              (QStringList{u"06"_s, u"03"_s, u"9"_s, u"05"_s}));
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

TEST_F(ScrapeTest, InvalidUtf8LineCountsAsEmpty)
{
    QByteArray page = Page(PriceBlock(u"1,700円"_s));
    page.replace("1,700", "1,7\xff"
                          "0");
    page += Page(CountBlock(u"2"_s));
    ASSERT_TRUE(Scrape(page).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"1,000円"_s);
    EXPECT_EQ(Cells()[ColNyusatu], u"2"_s);

    // An invalid heading line hides the block; the next valid one is read.
    QByteArray second = Page(PriceBlock(u"1,700円"_s));
    second.replace("<span>", "<span \xc3>");
    second += Page(PriceBlock(u"1,800円"_s));
    ASSERT_TRUE(Scrape(second).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"1,800円"_s);
}

TEST_F(ScrapeTest, NulInTheMiddleEndsThePage)
{
    QByteArray page = Page(CountBlock(u"4"_s));
    page += '\0';
    page += Page(RunningPage());
    ASSERT_TRUE(Scrape(page).Ok);
    EXPECT_EQ(Cells()[ColNyusatu], u"4"_s);
    EXPECT_EQ(Cells()[ColKakaku], u"1,000円"_s);
}

TEST_F(ScrapeTest, LoneCrAndLoneLfSeparateLinesLikeCrLf)
{
    ASSERT_TRUE(Scrape(Page(RunningPage(u"1,300円"_s), u"\r"_s)).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"1,300円"_s);
    ASSERT_TRUE(Scrape(Page(RunningPage(u"1,400円"_s), u"\n"_s)).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"1,400円"_s);
    EXPECT_EQ(Cells()[ColNyusatu], u"5"_s);
}

TEST_F(ScrapeTest, EmptyPageShowsTheMessageAndLeavesEverything)
{
    const QByteArray before = store::IniFile(File()).ToBytes();
    const auto cells = Cells();
    ASSERT_TRUE(Scrape(QByteArray()).Ok);
    EXPECT_EQ(dialogs.texts(), QStringList{retrieval::EmptyPageMessage()});
    EXPECT_EQ(Cells(), cells);
    EXPECT_EQ(store::IniFile(File()).ToBytes(), before);
}

TEST_F(ScrapeTest, BadPagesNeverCrashOrBreakTheSlot)
{
    const auto cells = Cells();
    const auto unchanged = [&](const char* what) {
        EXPECT_EQ(Cells(), cells) << what;
        EXPECT_FALSE(Sched().Ended) << what;
    };

    ASSERT_TRUE(Scrape(QByteArray(8 * 1024 * 1024, 'x')).Ok);
    unchanged("one line of 8 MiB");
    QByteArray longLine(8 * 1024 * 1024, 'y');
    longLine += u"<dt class=\"Price__title\">現在価格"_s.toUtf8();
    ASSERT_TRUE(Scrape(longLine).Ok);
    unchanged("a heading at the end of 8 MiB");

    QByteArray garbage(1 << 20, '\0');
    auto* random = QRandomGenerator::global();
    for (auto& byte : garbage)
        byte = static_cast<char>(random->bounded(1, 256));
    ASSERT_TRUE(Scrape(garbage).Ok);
    unchanged("binary garbage");

    for (const QString& last :
         {u"<dt class=\"Price__title\">現在価格"_s, u"<dt class=\"Price__title\">即決価格"_s,
          u"<dt class=\"Count__title\">入札件数"_s, u"<dt class=\"ProductDetail__title\">終了日時"_s,
          u"<dd class=\"Price__value\">"_s, u"<span class=\"ProductDetail__bullet\">：</span>"_s}) {
        for (const QString& separator : {u""_s, u"\r\n"_s}) {
            const auto result = Scrape(u"<html>\r\n"_s.toUtf8() + Page(QStringList{last}, separator));
            EXPECT_TRUE(result.Ok) << last.toStdString();
            unchanged("a marker at the very end");
        }
    }
    // The value marker with nothing after it: no end time, reported, cells kept.
    EXPECT_FALSE(Scrape(Page(EndBlock(QString()))).Ok);
    unchanged("an empty end-time value");
}

TEST_F(ScrapeTest, HugePriceIsKeptAsTextAndCountsAsNothing)
{
    Sched().Budget = 100;
    ASSERT_TRUE(Scrape(Page(RunningPage(u"99999999999999999999999999円"_s))).Ok);
    EXPECT_EQ(Cells()[ColKakaku], u"99999999999999999999999999円"_s);
    EXPECT_FALSE(Sched().OverBudget);
}

} // namespace
