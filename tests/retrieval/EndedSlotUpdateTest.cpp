#include "retrieval/EndedSlotUpdate.h"

#include "retrieval/ScrapeTestSupport.h"
#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/StoredFiles.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace scrapetest;

namespace {

class ScrapeEndedSlotUpdateTest : public ::testing::Test {
protected:
    ScrapeEndedSlotUpdateTest()
    {
        schedule.Komoku.resize(2);
        schedule.Settings.Balloon = true;
        model.Komokus.resize(2);
        model.KomokuCount = 2;
        model.Komokus[0].Name = u"カメラ"_s;
        model.Komokus[1].Name = u"本"_s;
        SetSlot(0, 3, u"Nikon F3"_s, u"12,345円"_s);
        model.SlotAt(0, 3).KakakuText = u"12,000円"_s;
    }

    void SetSlot(int komoku, int row, const QString& title, const QString& price)
    {
        auto& cells = model.SlotAt(komoku, row).Cells;
        cells[store::ColTitle] = title;
        cells[store::ColURL] = ItemUrl();
        cells[store::ColKakaku] = price;
        cells[store::ColSokketugaku] = u"20,000円"_s;
        cells[store::ColMonth] = u"05"_s;
        cells[store::ColDay] = u"12"_s;
        cells[store::ColHour] = u"21"_s;
        cells[store::ColMinute] = u"34"_s;
    }

    retrieval::ScrapeResult Update(int komoku = 0, int row = 3)
    {
        retrieval::ScrapeContext context{model,  schedule, dir.path() + u"/"_s, now, startingUp, notice, tray,
                                         window, dialogs};
        return retrieval::UpdateEndedSlot(context, komoku, row);
    }
    QString Title(int row = 3) { return model.SlotAt(0, row).Cells[store::ColTitle]; }
    QString Stored(const QString& key, int row = 3) const
    {
        return store::IniFile(dir.file(u"Settei0.ini"_s)).ReadString(QString::number(row), key, u"<none>"_s);
    }

    testsupport::ScratchDir dir;
    store::WatchListModel model;
    shell::Schedule schedule;
    QDateTime now{QDate(2024, 5, 13), QTime(8, 0)};
    bool startingUp = false;
    shell::PriceNotice notice;
    RecordingTray tray;
    testsupport::FakeWindowView window;
    testsupport::FakeDialogs dialogs;
};

TEST_F(ScrapeEndedSlotUpdateTest, MarksOnceAndStoresTheFinalFigures)
{
    schedule.At(0, 2).Won = true;
    ASSERT_TRUE(Update().Ok);
    ASSERT_TRUE(Update().Ok);
    EXPECT_EQ(Title(), u"[終了]Nikon F3"_s);
    EXPECT_TRUE(schedule.At(0, 2).Ended);
    EXPECT_EQ(model.SlotAt(0, 3).ShuryoTime, *store::EncodeDayCount(2024, 5, 12, 21, 34, 0));
    EXPECT_EQ(Stored(store::settei::Title), u"[終了]Nikon F3"_s);
    EXPECT_EQ(Stored(store::settei::ShuryoTime), u"2024/05/12 21:34:00"_s);
    EXPECT_EQ(Stored(store::settei::Kakaku), u"12,345円"_s);
    EXPECT_EQ(Stored(store::settei::Sokketugaku), u"20,000円"_s);
    EXPECT_EQ(Stored(store::settei::Rakusatuhin), u"1"_s);

    model.SlotAt(0, 4).Cells = model.SlotAt(0, 3).Cells;
    model.SlotAt(0, 4).Cells[store::ColTitle].clear();
    ASSERT_TRUE(Update(0, 4).Ok);
    EXPECT_EQ(Title(4), u"[終了]"_s);
}

TEST_F(ScrapeEndedSlotUpdateTest, BalloonNamesTheSlotWithoutTheMarkerCutTo255)
{
    model.Komokus[0].Name.clear();
    ASSERT_TRUE(Update().Ok);
    ASSERT_EQ(tray.balloons.size(), 1u);
    EXPECT_EQ(tray.balloons[0].first, u"オークション終了"_s);
    EXPECT_EQ(tray.balloons[0].second, u"12,345円\r\n名前無し No3-Nikon F3"_s);

    schedule.At(0, 3).Won = true;
    const QString prefix = u"12,345円\r\n名前無し No4-"_s;
    SetSlot(0, 4, u"[終了]"_s + QString(300, u'長'), u"12,345円"_s);
    ASSERT_TRUE(Update(0, 4).Ok);
    ASSERT_EQ(tray.balloons.size(), 2u);
    EXPECT_EQ(tray.balloons[1].first, u"落札しました!"_s);
    EXPECT_EQ(tray.balloons[1].second, prefix + QString(255 - prefix.size(), u'長'));
}

TEST_F(ScrapeEndedSlotUpdateTest, NoBalloonWhileStartingUpOrSwitchedOffButEverythingElse)
{
    model.Komokus[0].HonmeiNo = 3;
    startingUp = true;
    ASSERT_TRUE(Update().Ok);
    schedule.At(0, 2).Ended = false;
    startingUp = false;
    schedule.Settings.Balloon = false;
    ASSERT_TRUE(Update().Ok);
    EXPECT_TRUE(tray.balloons.empty());
    EXPECT_EQ(Stored(store::settei::Title), u"[終了]Nikon F3"_s);
    EXPECT_EQ(tray.hints.size(), 2u);
}

TEST_F(ScrapeEndedSlotUpdateTest, FavouriteRebuildsTheHintOthersLeaveIt)
{
    ASSERT_TRUE(Update().Ok);
    EXPECT_TRUE(tray.hints.isEmpty());

    model.Komokus[0].HonmeiNo = 3;
    model.Komokus[1].HonmeiNo = 1;
    model.SlotAt(1, 1).KakakuText = u"500円"_s;
    schedule.At(1, 0).OverBudget = true;
    schedule.At(0, 2).Won = true;
    ASSERT_TRUE(Update().Ok);
    // The updated slot's label still shows the price from before this fetch.
    EXPECT_EQ(tray.hints, QStringList{u"カメラ No3: 12,000円(落札)\r\n本 No1: 500円(予算オーバー)"_s});
}

TEST_F(ScrapeEndedSlotUpdateTest, SecondOfJanuaryUpdatedOnNewYearsEveIsNextYear)
{
    now = QDateTime(QDate(2024, 12, 31), QTime(23, 0));
    auto& cells = model.SlotAt(0, 3).Cells;
    cells[store::ColMonth] = u"1"_s;
    cells[store::ColDay] = u"2"_s;
    ASSERT_TRUE(Update().Ok);
    EXPECT_EQ(Stored(store::settei::ShuryoTime), u"2025/01/02 21:34:00"_s);
}

TEST_F(ScrapeEndedSlotUpdateTest, UnreadableEndTimeStopsAfterTheTitle)
{
    model.SlotAt(0, 3).Cells[store::ColHour].clear();
    const auto result = Update();
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Error, retrieval::InvalidEndTimeMessage());
    EXPECT_EQ(Stored(store::settei::Title), u"[終了]Nikon F3"_s);
    EXPECT_EQ(Stored(store::settei::ShuryoTime), u"<none>"_s);
    EXPECT_FALSE(schedule.At(0, 2).Ended);
    EXPECT_TRUE(tray.balloons.empty());
}

TEST_F(ScrapeEndedSlotUpdateTest, MissingDataFolderIsAnErrorAndNotCreated)
{
    const QString gone = dir.path() + u"/gone"_s;
    retrieval::ScrapeContext context{model,  schedule, gone + u"/"_s, now,    startingUp,
                                     notice, tray,     window,        dialogs};
    EXPECT_FALSE(retrieval::UpdateEndedSlot(context, 0, 3).Ok);
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_FALSE(schedule.At(0, 2).Ended);
}

} // namespace
