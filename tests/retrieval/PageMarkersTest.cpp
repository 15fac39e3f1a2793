#include "retrieval/PageMarkers.h"

#include "retrieval/ItemPages.h"
#include "retrieval/PageFacts.h"
#include "support/Fakes.h"
#include "support/ScratchDir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace scrapetest;
using retrieval::PageFacts;

namespace {

// The marker file the build puts beside the program.
QByteArray ShippedFile()
{
    QFile file(testsupport::binDir() + u"/"_s + retrieval::PageMarkersName());
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    return file.readAll();
}

QByteArray FullPage(const QString& endText)
{
    return Page(QStringList{u"<title>ヤフオク! - Nikon F3</title>"_s} + PriceBlock(u"1,200円"_s) +
                SokketuBlock(u"3,000円"_s) + CountBlock(u"5"_s) + EndBlock(endText) +
                QStringList{EndedNotice()} + PictureBlock(u"https://x/a.jpg"_s));
}

QStringList Values(const PageFacts& facts)
{
    const auto text = [](const auto& field) { return field ? field->Text : u"<none>"_s; };
    QStringList values{text(facts.Kakaku), text(facts.Sokketugaku), text(facts.Nyusatu)};
    if (const auto& end = facts.ShuryoTime)
        values << end->Month << end->Day << end->Hour.value_or(u"<none>"_s)
               << end->Minute.value_or(u"<none>"_s);
    values << (facts.EndedNotice ? u"ended"_s : u"running"_s) << facts.Title;
    for (const auto& picture : facts.Pictures)
        values << picture.Url;
    return values;
}

TEST(PageMarkersTest, MovedPageIsReadOnlyByTheMarkerFileThatMatchesIt)
{
    const QStringList expected{u"1,200円"_s, u"3,000円"_s, u"5"_s,     u"05"_s,       u"12"_s,
                               u"21"_s,      u"34"_s,      u"ended"_s, u"Nikon F3"_s, u"https://x/a.jpg"_s};
    const auto parsed = retrieval::ParsePageMarkers(ShippedFile());
    ASSERT_TRUE(parsed.Markers) << parsed.Error.toStdString();
    EXPECT_EQ(Values(ReadItemPage(FullPage(u"2024.05.12（日）21:34"_s), ItemUrl(), *parsed.Markers)),
              expected);

    const QByteArray moved = MovedLayout(FullPage(MovedEndText()));
    EXPECT_EQ(Values(ReadItemPage(moved, ItemUrl(), retrieval::BuiltInPageMarkers())),
              (QStringList{u"<none>"_s, u"<none>"_s, u"<none>"_s, u"running"_s, QString()}));
    const auto movedMarkers = retrieval::ParsePageMarkers(MovedMarkerFile(ShippedFile()));
    ASSERT_TRUE(movedMarkers.Markers) << movedMarkers.Error.toStdString();
    EXPECT_EQ(Values(ReadItemPage(moved, ItemUrl(), *movedMarkers.Markers)), expected);
}

TEST(PageMarkersTest, RefusedFileIsToldWithItsNameAndLineAndTheBuiltInSetStays)
{
    const QByteArray shipped = ShippedFile();
    const QByteArray moved = MovedMarkerFile(shipped);
    const int keyLine = static_cast<int>(moved.first(moved.indexOf("PriceHeading")).count('\n')) + 1;
    const auto replaced = [&moved](const char* from, const QByteArray& to) {
        return QByteArray(moved).replace(from, to);
    };
    struct Case {
        const char* what;
        QByteArray file;
        QString reason; // the message's line after the file's name
    };
    const QString line = QString::number(keyLine) + u" 行目: "_s;
    const Case cases[] = {
        {"unknown key", replaced("PriceHeading =", "PriceHeadline ="),
         line + u"「PriceHeadline」というキーはありません。"_s},
        {"no equals sign", replaced("PriceHeading =", "PriceHeading\nPriceHeading ="),
         line + u"「キー = 値」の形ではありません。"_s},
        {"empty text", replaced("PriceHeading =", "PriceHeading =\n#"),
         line + u"「PriceHeading」の値が空です。"_s},
        {"repeated key", "PriceHeading = a\n" + moved,
         QString::number(keyLine + 1) + u" 行目: 「PriceHeading」が二度あります。"_s},
        {"not UTF-8", replaced("PriceHeading =", "PriceHeading = \xff"),
         line + u"UTF-8 の文字として読めません。"_s},
        {"character the stored files cannot hold", replaced("PriceHeading =", "PriceHeading = 😀"),
         line + u"「PriceHeading」に保存ファイルの文字コード(Shift_JIS)で表せない文字があります。"_s},
        {"carriage return inside", replaced("PriceHeading = ", "PriceHeading = \r"),
         line + u"「PriceHeading」の値に行末の文字(CR)があります。"_s},
        {"offset not a number", replaced("EndMonthOffset = 8", "EndMonthOffset = 8a"), {}},
        {"missing key", replaced("EndedNotice", "# EndedNotice"), u"「EndedNotice」がありません。"_s},
    };
    const QByteArray movedPage = MovedLayout(FullPage(MovedEndText()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::ScratchDir dir;
        const QString path = dir.file(retrieval::PageMarkersName());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(c.file) == c.file.size());
        file.close();
        testsupport::FakeDialogs dialogs;
        const retrieval::PageMarkers markers = retrieval::LoadPageMarkers(path, dialogs);
        ASSERT_EQ(dialogs.texts().size(), 1u);
        const QStringList message = dialogs.texts().front().split(u'\r');
        ASSERT_EQ(message.size(), 3);
        EXPECT_EQ(message[0], u"ページの目印のファイル「"_s + path + u"」を使えません。"_s);
        if (!c.reason.isEmpty())
            EXPECT_EQ(message[1].toStdString(), c.reason.toStdString());
        else
            EXPECT_TRUE(message[1].contains(u"EndMonthOffset"_s)) << message[1].toStdString();
        // Nothing of the refused file is used: the moved page stays unread, a page of today's
        // layout reads.
        EXPECT_FALSE(ReadItemPage(movedPage, ItemUrl(), markers).Kakaku);
        EXPECT_TRUE(ReadItemPage(ItemPage(u"1,200円"_s), ItemUrl(), markers).Kakaku);
    }

    // Without a file, the built-in set, and nothing to tell.
    testsupport::FakeDialogs dialogs;
    const retrieval::PageMarkers markers =
        retrieval::LoadPageMarkers(u"/nonexistent/PageMarkers.txt"_s, dialogs);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(ReadItemPage(ItemPage(u"1,200円"_s), ItemUrl(), markers).Kakaku);
}

} // namespace
