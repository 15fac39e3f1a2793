#include "watchlist/GridHint.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(GridHint, TitleUrlAndRemarksOfSlotRowsGiveTheirTrimmedText)
{
    store::WatchListModel model;
    store::Slot& slot = model.SlotAt(0, 3);
    slot.Cells[store::ColTitle] = u"  ニコン F3 ボディ  "_s;
    slot.Cells[store::ColURL] = u"https://page.auctions.yahoo.co.jp/jp/auction/x1"_s;
    slot.Cells[store::ColKakaku] = u"12,345円"_s;
    slot.Cells[store::ColOption] = u"   "_s;

    EXPECT_EQ(watchlist::HintText(model, 0, store::ColTitle, 3), u"ニコン F3 ボディ"_s);
    EXPECT_EQ(watchlist::HintText(model, 0, store::ColURL, 3), slot.Cells[store::ColURL]);
    EXPECT_EQ(watchlist::HintText(model, 0, store::ColOption, 3), QString()) << "blanks only";
    EXPECT_EQ(watchlist::HintText(model, 0, store::ColKakaku, 3), QString()) << "the price column";
    EXPECT_EQ(watchlist::HintText(model, 0, store::ColTitle, 0), QString()) << "the header row";
    EXPECT_FALSE(watchlist::GivesHint(store::ColNo, 3));
    EXPECT_FALSE(watchlist::GivesHint(store::ColTitle, -1));

    // A failed check adds its reason under the title, and only there.
    slot.LastCheckError = u"HTTP 404"_s;
    EXPECT_EQ(watchlist::HintText(model, 0, store::ColTitle, 3),
              u"ニコン F3 ボディ\r\n前回の価格チェックに失敗しました: HTTP 404"_s);
    EXPECT_EQ(watchlist::HintText(model, 0, store::ColURL, 3), slot.Cells[store::ColURL]);

    // An address no browser is given says so under the title and the address.
    slot.LastCheckError.clear();
    slot.Cells[store::ColURL] = u"file:///etc/passwd"_s;
    EXPECT_EQ(watchlist::HintText(model, 0, store::ColTitle, 3),
              u"ニコン F3 ボディ\r\n"_s + watchlist::NotWebAddressLine());
    EXPECT_EQ(watchlist::HintText(model, 0, store::ColURL, 3),
              slot.Cells[store::ColURL] + u"\r\n"_s + watchlist::NotWebAddressLine());
}

TEST(GridHint, PanelStandsBelowThePointerInsideTheWindow)
{
    // At the pointer, 20 pixels lower, 10 pixels wider than the text.
    EXPECT_EQ(watchlist::HintPanelRect(100, {300, 200}, 941), QRect(300, 220, 110, 40));
    // Kept inside the right edge.
    EXPECT_EQ(watchlist::HintPanelRect(100, {900, 200}, 941), QRect(831, 220, 110, 40));
    // Wider than the window: the whole width from the left edge.
    EXPECT_EQ(watchlist::HintPanelRect(1200, {900, 200}, 941), QRect(0, 220, 941, 40));
}

} // namespace
