#include "retrieval/PageFacts.h"

#include "retrieval/ItemPages.h"
#include "retrieval/PageLines.h"
#include "retrieval/PageMarkers.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace scrapetest;
using retrieval::PageFacts;
using retrieval::ReadItemPage;

namespace {

PageFacts Read(const QByteArray& page, const QString& address = ItemUrl())
{
    return ReadItemPage(page, address, retrieval::BuiltInPageMarkers());
}

QString Text(const std::optional<PageFacts::Field>& field)
{
    return field ? field->Text : u"<none>"_s;
}

QStringList EndTexts(const PageFacts& facts)
{
    const auto& end = facts.ShuryoTime;
    if (!end)
        return {u"<none>"_s};
    return {end->Month, end->Day, end->Hour.value_or(u"<none>"_s), end->Minute.value_or(u"<none>"_s)};
}

// Whether the page showed none of the values a check reads, nor the ended notice.
bool NothingRead(const PageFacts& facts)
{
    return !facts.Kakaku && !facts.Sokketugaku && !facts.Nyusatu && !facts.ShuryoTime && !facts.EndedNotice;
}

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

// ---- The four values a check reads ----

TEST(ReadItemPageTest, ReadsTheFourFieldsAndTheTitleWithTheirLinesInPageOrder)
{
    const PageFacts facts =
        Read(Page(RunningPage() + SokketuBlock(u"3,000円"_s) + QStringList{EndedNotice()} +
                  PictureBlock(u"https://x/a.jpg"_s) + QStringList{EndedNotice()}));
    EXPECT_FALSE(facts.Empty);
    EXPECT_TRUE(facts.Read);
    EXPECT_EQ(Text(facts.Kakaku), u"1,200円"_s);
    EXPECT_EQ(Text(facts.Nyusatu), u"5"_s);
    EXPECT_EQ(EndTexts(facts), (QStringList{u"05"_s, u"12"_s, u"21"_s, u"34"_s}));
    EXPECT_EQ(Text(facts.Sokketugaku), u"3,000円"_s);
    EXPECT_EQ(facts.Title, u"Nikon F3"_s);
    ASSERT_EQ(facts.Pictures.size(), 1u);
    ASSERT_TRUE(facts.EndedNotice && facts.EndedNoticeAgain);
    // Each heading's line, in the order the page shows them.
    const std::vector<qsizetype> lines{facts.Kakaku->Line,      facts.Nyusatu->Line, facts.ShuryoTime->Line,
                                       facts.Sokketugaku->Line, *facts.EndedNotice,  facts.Pictures[0].Line,
                                       *facts.EndedNoticeAgain};
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
    EXPECT_EQ(std::adjacent_find(lines.begin(), lines.end()), lines.end());
}

TEST(ReadItemPageTest, PriceIsTheTrimmedTextBeforeTheFirstYenWithinOneHundredCharacters)
{
    EXPECT_EQ(Text(Read(Page(RunningPage(u" \t1,400円（税込 1,540円）"_s))).Kakaku), u"1,400円"_s);

    // "円" as character 100 is still found, as character 101 it is not.
    const QString pad99 = QString(98, u' ') + u'7';
    EXPECT_EQ(Text(Read(Page(RunningPage(pad99 + u"円"_s))).Kakaku), u"7円"_s);
    EXPECT_EQ(Text(Read(Page(RunningPage(pad99 + u"8円"_s))).Kakaku), u"<none>"_s);
    // A price too large for a number is still its text.
    EXPECT_EQ(Text(Read(Page(RunningPage(u"99999999999999999999999999円"_s))).Kakaku),
              u"99999999999999999999999999円"_s);
    // A buy-it-now price reads the same way.
    const PageFacts sokketuOnly = Read(Page(SokketuBlock(u"5,500円"_s) + CountBlock(u"0"_s)));
    EXPECT_EQ(Text(sokketuOnly.Sokketugaku), u"5,500円"_s);
    EXPECT_EQ(Text(sokketuOnly.Kakaku), u"<none>"_s);
}

TEST(ReadItemPageTest, HeadingWithoutItsValueIsSkippedForTheNextHeading)
{
    // The first price block has no "円" on its value line; the bid heading's next line has no link.
    const QStringList page = QStringList{u"<dt class=\"Price__title\">現在価格</dt>"_s,
                                         u"<dd class=\"Price__value\">"_s, u"お問い合わせください"_s} +
                             QStringList{u"<dt class=\"Count__title\">入札件数</dt>"_s, u"<dd>-</dd>"_s} +
                             RunningPage(u"2,000円"_s);
    const PageFacts facts = Read(Page(page));
    EXPECT_EQ(Text(facts.Kakaku), u"2,000円"_s);
    EXPECT_EQ(Text(facts.Nyusatu), u"5"_s);
    EXPECT_GT(facts.Kakaku->Line, 0) << "the second heading's line";
}

TEST(ReadItemPageTest, BidCountIsWhatFollowsTheValueTagUpToTheLink)
{
    EXPECT_EQ(Text(Read(Page(QStringList{u"<dt class=\"Count__title\">入札件数</dt>"_s,
                                         u"<dd class=\"Count__number\">  12 <a href=\"#\">x</a>"_s}))
                       .Nyusatu),
              u"12"_s);
    // A link right after the tag gives an empty count, which is found all the same.
    EXPECT_EQ(Text(Read(Page(QStringList{u"<dt class=\"Count__title\">入札件数</dt>"_s,
                                         u"<dd class=\"Count__number\"><a href=\"#\">0</a>"_s}))
                       .Nyusatu),
              QString());
}

TEST(ReadItemPageTest, HourAndMinuteAreTheTwoCharactersAroundTheColon)
{
    EXPECT_EQ(EndTexts(Read(Page(EndBlock(u"2024.06.03（月） 9:05"_s)))),
              (QStringList{u"06"_s, u"03"_s, u"9"_s, u"05"_s}));
    // A bracket before a one-digit hour stays in the hour, which then does not read.
    EXPECT_EQ(EndTexts(Read(Page(EndBlock(u"2024.07.04（木）8:15"_s)))),
              (QStringList{u"07"_s, u"04"_s, u"）8"_s, u"15"_s}));
    // Without a colon there is no hour and no minute; with nothing after the marker, no date.
    EXPECT_EQ(EndTexts(Read(Page(EndBlock(u"2024.07.04"_s)))),
              (QStringList{u"07"_s, u"04"_s, u"<none>"_s, u"<none>"_s}));
    EXPECT_EQ(EndTexts(Read(Page(EndBlock(QString())))),
              (QStringList{QString(), QString(), u"<none>"_s, u"<none>"_s}));
}

// ---- Registration extras ----

TEST(ReadItemPageTest, TitleLosesTheSitePrefixAndItsBlanks)
{
    EXPECT_EQ(Read(Page(QStringList{u"<title>ヤフオク! -   Nikon F3 ボディ</title>"_s})).Title,
              u"Nikon F3 ボディ"_s);
    EXPECT_EQ(Read(Page(QStringList{u"<title> Nikon F3 - ヤフオク! </title>"_s})).Title,
              u"Nikon F3 - ヤフオク!"_s);
}

TEST(ReadItemPageTest, TitleClosingOnTheNextLineOrTooFarIsEmpty)
{
    EXPECT_EQ(Read(Page(QStringList{u"<title>Nikon F3"_s, u"</title>"_s, u"<title>second</title>"_s})).Title,
              QString())
        << "only the first title line counts";
    EXPECT_EQ(Read(Page(QStringList{u"<title>"_s + QString(1000, u'a') + u"</title>"_s})).Title,
              QString(1000, u'a'));
    EXPECT_EQ(Read(Page(QStringList{u"<title>"_s + QString(1001, u'a') + u"</title>"_s})).Title, QString());
}

TEST(ReadItemPageTest, EveryPictureBlockWhoseAddressEndsInJpgOrGifInPageOrder)
{
    const QString base = u"https://auctions.c.yimg.jp/images/a"_s;
    const QStringList page = QStringList{u"<title>x</title>"_s} + PictureBlock(base + u".JPG"_s) +
                             PictureBlock(base + u".jpeg"_s) + PictureBlock(base + u".jpg?w=600"_s) +
                             PictureBlock(base + u".jpg"_s) + PictureBlock(u"https://x/a.gif"_s) +
                             PictureBlock(base + u"2.jpg"_s);
    const PageFacts facts = Read(Page(page));
    ASSERT_EQ(facts.Pictures.size(), 3u);
    EXPECT_EQ(facts.Pictures[0].Url, base + u".jpg"_s);
    EXPECT_EQ(facts.Pictures[1].Url, u"https://x/a.gif"_s);
    EXPECT_EQ(facts.Pictures[2].Url, base + u"2.jpg"_s);
    EXPECT_EQ(facts.Pictures[0].Extension, ".jpg"_L1);
    EXPECT_EQ(facts.Pictures[1].Extension, ".gif"_L1);
    EXPECT_LT(facts.Pictures[0].Line, facts.Pictures[1].Line);
    EXPECT_LT(facts.Pictures[1].Line, facts.Pictures[2].Line);

    // A check reads neither the title nor the pictures, and nothing else differs.
    const QByteArray withValues = Page(page + RunningPage());
    PageFacts expected = Read(withValues);
    ASSERT_EQ(expected.Pictures.size(), 3u);
    expected.Title.clear();
    expected.Pictures.clear();
    EXPECT_TRUE(ReadItemPage(withValues, ItemUrl(), retrieval::BuiltInPageMarkers(),
                             retrieval::PageRead::Check) == expected);
}

// ---- Pages that are not what they should be ----

TEST(ReadItemPageTest, AddressWithoutThePrefixReadsNoLine)
{
    for (const QString& address :
         {u"https://auctions.yahoo.co.jp/x"_s, u"HTTPS://PAGE.auctions.yahoo.co.jp/x"_s}) {
        const PageFacts facts = Read(Page(RunningPage()), address);
        EXPECT_FALSE(facts.Read) << "the prefix compares with case";
        EXPECT_FALSE(facts.Empty);
        EXPECT_TRUE(NothingRead(facts));
        EXPECT_EQ(facts.Title, QString());
    }
}

TEST(ReadItemPageTest, InvalidUtf8LineCountsAsEmpty)
{
    QByteArray page = Page(PriceBlock(u"1,700円"_s));
    page.replace("1,700", "1,7\xff"
                          "0");
    page += Page(CountBlock(u"2"_s));
    const PageFacts facts = Read(page);
    EXPECT_EQ(Text(facts.Kakaku), u"<none>"_s);
    EXPECT_EQ(Text(facts.Nyusatu), u"2"_s);

    // An invalid heading line hides the block; the next valid one is read.
    QByteArray second = Page(PriceBlock(u"1,700円"_s));
    second.replace("<span>", "<span \xc3>");
    second += Page(PriceBlock(u"1,800円"_s));
    EXPECT_EQ(Text(Read(second).Kakaku), u"1,800円"_s);
}

TEST(ReadItemPageTest, NulEndsThePage)
{
    QByteArray page = Page(CountBlock(u"4"_s));
    page += '\0';
    page += Page(RunningPage());
    const PageFacts facts = Read(page);
    EXPECT_EQ(Text(facts.Nyusatu), u"4"_s);
    EXPECT_EQ(Text(facts.Kakaku), u"<none>"_s);

    EXPECT_TRUE(Read(QByteArray()).Empty);
    const PageFacts nulFirst = Read(QByteArray("\0abc", 4));
    EXPECT_TRUE(nulFirst.Empty);
    EXPECT_FALSE(nulFirst.Read);
}

TEST(ReadItemPageTest, LoneCrAndLoneLfSeparateLinesLikeCrLf)
{
    EXPECT_EQ(Text(Read(Page(RunningPage(u"1,300円"_s), u"\r"_s)).Kakaku), u"1,300円"_s);
    const PageFacts facts = Read(Page(RunningPage(u"1,400円"_s), u"\n"_s));
    EXPECT_EQ(Text(facts.Kakaku), u"1,400円"_s);
    EXPECT_EQ(Text(facts.Nyusatu), u"5"_s);
}

TEST(ReadItemPageTest, BadPagesShowNothing)
{
    EXPECT_TRUE(NothingRead(Read(QByteArray(8 * 1024 * 1024, 'x')))) << "one line of 8 MiB";
    QByteArray longLine(8 * 1024 * 1024, 'y');
    longLine += u"<dt class=\"Price__title\">現在価格"_s.toUtf8();
    EXPECT_TRUE(NothingRead(Read(longLine))) << "a heading at the end of 8 MiB";

    QByteArray garbage(1 << 20, '\0');
    auto* random = QRandomGenerator::global();
    for (auto& byte : garbage)
        byte = static_cast<char>(random->bounded(1, 256));
    EXPECT_TRUE(NothingRead(Read(garbage))) << "binary garbage";

    for (const QString& last :
         {u"<dt class=\"Price__title\">現在価格"_s, u"<dt class=\"Price__title\">即決価格"_s,
          u"<dt class=\"Count__title\">入札件数"_s, u"<dt class=\"ProductDetail__title\">終了日時"_s,
          u"<dd class=\"Price__value\">"_s, u"<span class=\"ProductDetail__bullet\">：</span>"_s}) {
        for (const QString& separator : {u""_s, u"\r\n"_s})
            EXPECT_TRUE(NothingRead(Read(u"<html>\r\n"_s.toUtf8() + Page(QStringList{last}, separator))))
                << "a marker at the very end: " << last.toStdString();
    }
}

} // namespace
