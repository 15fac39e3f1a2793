#include "shell/ScheduleRebuild.h"
#include "store/Cp932.h"
#include "store/DayCount.h"
#include "support/Fakes.h"
#include "support/ScratchDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace testsupport;
using shell::Schedule;

namespace {

double At(int year, int month, int day, int hour = 0, int minute = 0)
{
    return *store::EncodeDayCount(year, month, day, hour, minute, 0);
}

class RebuildTest : public ::testing::Test {
protected:
    QString dir() const { return scratch.path() + QLatin1Char('/'); }

    // Files as the Windows program leaves them: CP932, CR LF unless told otherwise.
    void put(const QString& name, const QString& text, const char* lineEnd = "\r\n")
    {
        QString body = text;
        body.replace(QLatin1Char('\n'), QString::fromLatin1(lineEnd));
        writeBytes(name, store::ToCp932(body));
    }
    void writeBytes(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir() + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray bytes(const QString& name) const
    {
        QFile file(dir() + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void putPicture(int komoku, int slot, const QByteArray& marker)
    {
        writeBytes(QStringLiteral("Image%1_%2.jpg").arg(komoku).arg(slot), marker);
    }

    void rebuild(bool startingUp, double now)
    {
        shell::RebuildContext context{schedule, alarms, &model, dir(), startingUp, now, eventLoop};
        shell::RebuildSchedule(context);
    }

    ScratchDir scratch;
    Schedule schedule;
    std::vector<shell::KomokuAlarm> alarms;
    store::WatchListModel model;
    FakeEventLoop eventLoop;
};

const QString TotalDel2 = QStringLiteral("[KomokuCount]\nValue=1\n[EndAuction]\nDel=2\n[Ararm]\nSpeak=0\n");

TEST_F(RebuildTest, WindowsFilesLoadWithEveryValue)
{
    // Save order, keys in other letter case, blank lines, one-digit hours.
    put(QStringLiteral("Total.ini"),
        QStringLiteral("[KomokuCount]\nvalue=3\n\n[ArarmTime]\nValue=5\n"
                       "[Ararm]\nALL=1\nSpeak=1\n[kakakukoshin]\nKido=0\nBalloon=1\n"
                       "[EndAuction]\nDel=4\n[YosanOver]\nNoHyoji=1\n"
                       "[KakakuCheckToday_Tomorrow]\nValue=0\n"));
    put(QStringLiteral("SpeakMsg.txt"), QStringLiteral("おーく'しょん、\nおわるよ。\n"));
    put(QStringLiteral("Settei0.ini"),
        QStringLiteral(
            "[Komoku]\nName=カメラ\n[Honmei]\nNo=3\n"
            "[1]\nTitle=[終了]レンズ\nShuryoTime=2026/12/10 "
            "9:05:00\nURL=https://page.auctions.yahoo.co.jp/jp/auction/a1\n"
            "ArarmTime=2026/12/10 8:50:00\nKakaku=12,001円\nYosan=12,000円\nSokketugaku=\nNyusatu=3\n"
            "Nyusatugaku=15000\nRakusatuhin=1\nOption=\nPictureExist=1\n"
            "\n[3]\nTitle=三脚\nShuryoTime=2026/12/11 "
            "21:07:00\nURL=https://page.auctions.yahoo.co.jp/jp/auction/a3\n"
            "ArarmTime=1899/12/30\nKakaku=30,000円\nYosan=30,000円\nNyusatugaku=0\nRakusatuhin=0\n"));
    // A file rewritten by the start-up pruning, with LF line ends.
    put(QStringLiteral("Settei1.ini"),
        QStringLiteral("[1]\nurl=https://page.auctions.yahoo.co.jp/jp/auction/b1\nshuryotime=2026/12/24\n"
                       "[Honmei]\nNo=0\n[Komoku]\nName=\n"),
        "\n");

    rebuild(false, At(2026, 12, 9, 12));

    EXPECT_EQ(model.KomokuCount, 1) << "the window keeps the count of the pages it built";
    EXPECT_FALSE(model.CheckBoxKakakuCheckToday_Tomorrow);
    const auto& settings = schedule.Settings;
    EXPECT_EQ(settings.LeadMinutes, 5);
    EXPECT_TRUE(settings.All);
    EXPECT_TRUE(settings.Speak);
    EXPECT_FALSE(settings.Kido);
    EXPECT_TRUE(settings.Balloon);
    EXPECT_EQ(settings.Del, 4);
    EXPECT_TRUE(settings.NoHyoji);
    EXPECT_EQ(settings.SpeakText, QStringLiteral("おーく'しょん、おわるよ。"));
    ASSERT_EQ(schedule.KomokuCount(), 3);
    ASSERT_EQ(alarms.size(), 3u);

    const auto& ended = schedule.At(0, 0);
    EXPECT_EQ(ended.URL, QStringLiteral("https://page.auctions.yahoo.co.jp/jp/auction/a1"));
    EXPECT_DOUBLE_EQ(ended.EndAt, At(2026, 12, 10, 9, 5));
    EXPECT_DOUBLE_EQ(ended.AlarmAt, At(2026, 12, 10, 8, 50));
    EXPECT_EQ(ended.Budget, 12000);
    EXPECT_TRUE(ended.OverBudget) << "12,001円 is above a budget of 12,000円";
    EXPECT_TRUE(ended.Ended);
    EXPECT_TRUE(ended.Won);
    EXPECT_EQ(ended.OwnBid, 15000);

    // Without an explicit alarm the lead time applies; a price equal to the budget is not over it.
    const auto& running = schedule.At(0, 2);
    EXPECT_NEAR(running.AlarmAt, At(2026, 12, 11, 21, 2), 1e-9);
    EXPECT_EQ(running.Budget, 30000);
    EXPECT_FALSE(running.OverBudget);
    EXPECT_FALSE(running.Ended);
    EXPECT_FALSE(running.Won);

    // A free slot has nothing; a category whose file is missing stays empty.
    EXPECT_TRUE(schedule.At(0, 1).URL.isEmpty());
    EXPECT_EQ(schedule.At(0, 1).AlarmAt, 0);
    EXPECT_EQ(schedule.At(1, 0).URL, QStringLiteral("https://page.auctions.yahoo.co.jp/jp/auction/b1"));
    EXPECT_DOUBLE_EQ(schedule.At(1, 0).EndAt, At(2026, 12, 24));
    for (int s = 0; s < 10; ++s)
        EXPECT_TRUE(schedule.At(2, s).URL.isEmpty());
    EXPECT_EQ(eventLoop.pumped, 1);
}

TEST_F(RebuildTest, SpeechIsSwitchedOffForTheMonitorWithoutASentence)
{
    put(QStringLiteral("Total.ini"), QStringLiteral("[KomokuCount]\nValue=1\n[Ararm]\nSpeak=1\n"));
    schedule.Settings.SpeakText = QStringLiteral("まえの、ことば。");
    rebuild(false, At(2026, 12, 9));
    EXPECT_FALSE(schedule.Settings.Speak);
    EXPECT_EQ(schedule.Settings.SpeakText, QStringLiteral("まえの、ことば。"));

    put(QStringLiteral("SpeakMsg.txt"), QStringLiteral("\n\n"));
    rebuild(false, At(2026, 12, 9));
    EXPECT_FALSE(schedule.Settings.Speak);
    // The stored setting itself is left as it is.
    EXPECT_NE(bytes(QStringLiteral("Total.ini")).indexOf("Speak=1"), -1);
}

TEST_F(RebuildTest, MissingTotalIniChangesNothing)
{
    schedule.Komoku.resize(2);
    schedule.At(1, 4).URL = QStringLiteral("kept");
    model.KomokuCount = 2;
    rebuild(true, At(2026, 12, 9));
    EXPECT_EQ(schedule.KomokuCount(), 2);
    EXPECT_EQ(schedule.At(1, 4).URL, QStringLiteral("kept"));
    EXPECT_EQ(model.KomokuCount, 2);
    EXPECT_EQ(eventLoop.pumped, 1);
}

TEST_F(RebuildTest, LatchesOfCategoriesWithAFileAreCleared)
{
    put(QStringLiteral("Total.ini"), QStringLiteral("[KomokuCount]\nValue=2\n"));
    put(QStringLiteral("Settei0.ini"), QStringLiteral("[Komoku]\nName=a\n"));
    alarms.resize(2);
    alarms[0] = {true, 100, {}, {}};
    alarms[1] = {true, 200, {}, {}};
    rebuild(false, At(2026, 12, 9));
    EXPECT_FALSE(alarms[0].Latch);
    EXPECT_TRUE(alarms[1].Latch);
    EXPECT_EQ(alarms[0].LatchTime, 100u);
    EXPECT_EQ(alarms[1].LatchTime, 200u);
}

TEST_F(RebuildTest, StartUpClearsEndedFlagsAndPrunesTheExample)
{
    // Del = 2 on the 10th at 12:00: slots ending on the 5th, 9th, 12th and without an end.
    put(QStringLiteral("Total.ini"), TotalDel2);
    put(QStringLiteral("Settei0.ini"),
        QStringLiteral("[Komoku]\nName=時計\n[Honmei]\nNo=3\n"
                       "[1]\nTitle=a\nShuryoTime=2026/12/05 10:00:00\nURL=u1\n"
                       "[2]\nTitle=[終了]b\nShuryoTime=2026/12/09 10:00:00\nURL=u2\nPictureExist=1\n"
                       "[3]\nTitle=c\nShuryoTime=2026/12/12 9:00:00\nURL=u3\nPictureExist=1\n"
                       "[4]\nTitle=d\nURL=u4\n"
                       "[Other]\nKey=dropped\n"));
    for (int s : {0, 1, 2, 3, 5})
        putPicture(0, s, QByteArray("picture ") + QByteArray::number(s));

    rebuild(true, At(2026, 12, 10, 12));

    const QString expected =
        QStringLiteral("[1]\r\nTitle=[終了]b\r\nShuryoTime=2026/12/09 10:00:00\r\nURL=u2\r\n"
                       "PictureExist=1\r\n"
                       "[2]\r\nTitle=c\r\nShuryoTime=2026/12/12 9:00:00\r\nURL=u3\r\n"
                       "PictureExist=1\r\n"
                       "[Honmei]\r\nNo=2\r\n[Komoku]\r\nName=時計\r\n");
    EXPECT_EQ(bytes(QStringLiteral("Settei0.ini")), store::ToCp932(expected));
    EXPECT_EQ(bytes(QStringLiteral("Image0_0.jpg")), QByteArray("picture 1"));
    EXPECT_EQ(bytes(QStringLiteral("Image0_1.jpg")), QByteArray("picture 2"));
    EXPECT_EQ(scratch.listFiles(),
              (QStringList{QStringLiteral("Image0_0.jpg"), QStringLiteral("Image0_1.jpg"),
                           QStringLiteral("Settei0.ini"), QStringLiteral("Total.ini")}));

    EXPECT_EQ(schedule.At(0, 0).URL, QStringLiteral("u2"));
    EXPECT_FALSE(schedule.At(0, 0).Ended) << "ended flags start clear at start-up";
    EXPECT_EQ(schedule.At(0, 1).URL, QStringLiteral("u3"));
    EXPECT_TRUE(schedule.At(0, 2).URL.isEmpty());

    // A later rebuild follows the stored titles and prunes nothing, however old.
    rebuild(false, At(2027, 6, 1));
    EXPECT_TRUE(schedule.At(0, 0).Ended);
    EXPECT_EQ(bytes(QStringLiteral("Settei0.ini")), store::ToCp932(expected));
}

TEST_F(RebuildTest, PruningRenumbersSlotsAndPicturesAndForgetsADroppedFavourite)
{
    put(QStringLiteral("Total.ini"), TotalDel2);
    QString file = QStringLiteral("[Honmei]\nNo=2\n[Komoku]\nName=本\n");
    for (int row = 1; row <= 10; ++row) {
        const bool keep = row == 1 || row == 3 || row == 7;
        file += QStringLiteral("[%1]\nURL=u%1\nShuryoTime=%2\n")
                    .arg(row)
                    .arg(keep ? QStringLiteral("2026/12/20 1:02:03") : QStringLiteral("2026/11/01"));
        putPicture(0, row - 1, QByteArray("p") + QByteArray::number(row - 1));
    }
    put(QStringLiteral("Settei0.ini"), file);

    rebuild(true, At(2026, 12, 10, 12));

    const QString expected = QStringLiteral(
        "[1]\r\nURL=u1\r\nShuryoTime=2026/12/20 1:02:03\r\n[2]\r\nURL=u3\r\nShuryoTime=2026/12/20 1:02:03\r\n"
        "[3]\r\nURL=u7\r\nShuryoTime=2026/12/20 1:02:03\r\n[Honmei]\r\nNo=0\r\n[Komoku]\r\nName=本\r\n");
    EXPECT_EQ(bytes(QStringLiteral("Settei0.ini")), store::ToCp932(expected));
    EXPECT_EQ(bytes(QStringLiteral("Image0_0.jpg")), QByteArray("p0"));
    EXPECT_EQ(bytes(QStringLiteral("Image0_1.jpg")), QByteArray("p2"));
    EXPECT_EQ(bytes(QStringLiteral("Image0_2.jpg")), QByteArray("p6"));
    for (int s = 3; s < 10; ++s)
        EXPECT_FALSE(QFile::exists(dir() + QStringLiteral("Image0_%1.jpg").arg(s))) << s;
}

TEST_F(RebuildTest, PruningLimitIsDelDaysAfterTheEnd)
{
    put(QStringLiteral("Total.ini"), TotalDel2);
    put(QStringLiteral("Settei0.ini"), QStringLiteral("[1]\nURL=gone\nShuryoTime=2026/12/08 11:00:00\n"
                                                      "[2]\nURL=stays\nShuryoTime=2026/12/08 13:00:00\n"
                                                      "[3]\nURL=unreadable\nShuryoTime=abc\n"));
    rebuild(true, At(2026, 12, 10, 12));
    EXPECT_EQ(schedule.At(0, 0).URL, QStringLiteral("stays"));
    EXPECT_TRUE(schedule.At(0, 1).URL.isEmpty());
}

TEST_F(RebuildTest, DelZeroPrunesNothing)
{
    put(QStringLiteral("Total.ini"), QStringLiteral("[KomokuCount]\nValue=1\n[EndAuction]\nDel=0\n"));
    const QString file = QStringLiteral("[Komoku]\nName=x\n[1]\nURL=old\nShuryoTime=2020/01/01\n");
    put(QStringLiteral("Settei0.ini"), file);
    putPicture(0, 0, "p0");
    rebuild(true, At(2026, 12, 10));
    EXPECT_EQ(bytes(QStringLiteral("Settei0.ini")),
              store::ToCp932(QString(file).replace(QLatin1Char('\n'), QStringLiteral("\r\n"))));
    EXPECT_EQ(schedule.At(0, 0).URL, QStringLiteral("old"));
    EXPECT_TRUE(QFile::exists(dir() + QStringLiteral("Image0_0.jpg")));
}

TEST_F(RebuildTest, UnreadableCategoryFileIsNeitherPrunedNorLost)
{
    put(QStringLiteral("Total.ini"), TotalDel2);
    ASSERT_TRUE(QDir().mkpath(dir() + QStringLiteral("Settei0.ini")));
    putPicture(0, 0, "p0");
    rebuild(true, At(2026, 12, 10));
    EXPECT_TRUE(QFileInfo(dir() + QStringLiteral("Settei0.ini")).isDir());
    EXPECT_TRUE(QFile::exists(dir() + QStringLiteral("Image0_0.jpg")));
}

TEST_F(RebuildTest, AFolderNamedLikeAStoredFileCountsAsMissing)
{
    // Category 0 has a folder in place of its file, category 1 no file at all: both must end alike.
    put(QStringLiteral("Total.ini"), QStringLiteral("[KomokuCount]\nValue=2\n[EndAuction]\nDel=2\n"));
    ASSERT_TRUE(QDir().mkpath(dir() + QStringLiteral("Settei0.ini")));
    schedule.Komoku.resize(2);
    for (int k : {0, 1})
        schedule.At(k, 4).URL = QStringLiteral("before");
    alarms.assign(2, {true, 0, {}, {}});
    rebuild(true, At(2026, 12, 10));
    EXPECT_TRUE(alarms[0].Latch && alarms[1].Latch);
    EXPECT_EQ(schedule.At(0, 4).URL, schedule.At(1, 4).URL);
    EXPECT_EQ(schedule.At(0, 4).URL, QStringLiteral("before"));

    // The same for "Total.ini": nothing changes.
    ASSERT_TRUE(QFile::remove(dir() + QStringLiteral("Total.ini")));
    ASSERT_TRUE(QDir().mkpath(dir() + QStringLiteral("Total.ini")));
    schedule.Komoku.resize(3);
    rebuild(true, At(2026, 12, 10));
    EXPECT_EQ(schedule.KomokuCount(), 3);
    EXPECT_EQ(schedule.At(1, 4).URL, QStringLiteral("before"));
}

TEST_F(RebuildTest, StartUpDeletesThePriceHistoryOfAuctionsNoSlotHolds)
{
    put(QStringLiteral("Total.ini"), TotalDel2);
    const QString item = QStringLiteral("https://page.auctions.yahoo.co.jp/jp/auction/");
    put(QStringLiteral("Settei0.ini"), QStringLiteral("[1]\nURL=%1a1\nShuryoTime=2026/12/12 21:00:00\n"
                                                      "[2]\nURL=%1a2\nShuryoTime=2026/12/01 21:00:00\n")
                                           .arg(item));
    // A category file the save has not removed yet still holds its auctions.
    put(QStringLiteral("Settei3.ini"), QStringLiteral("[4]\nURL=%1a3\n").arg(item));
    ASSERT_TRUE(QDir().mkpath(dir() + QStringLiteral("KakakuRireki")));
    const QStringList names{QStringLiteral("a1.txt"), QStringLiteral("a2.txt"), QStringLiteral("a3.txt"),
                            QStringLiteral("gone.txt"), QStringLiteral("notes.dat")};
    for (const QString& name : names)
        writeBytes(QStringLiteral("KakakuRireki/") + name, "2026-12-10T12:34:56 1200 3\r\n");
    const auto left = [this] { return QDir(dir() + QStringLiteral("KakakuRireki")).entryList(QDir::Files); };

    // A later rebuild deletes nothing.
    rebuild(false, At(2026, 12, 10));
    EXPECT_EQ(left(), names);
    // At start-up the slot pruned for its age takes its history with it.
    rebuild(true, At(2026, 12, 10));
    EXPECT_EQ(left(),
              (QStringList{QStringLiteral("a1.txt"), QStringLiteral("a3.txt"), QStringLiteral("notes.dat")}));

    // A category file that cannot be read might hold any auction: nothing goes.
    writeBytes(QStringLiteral("KakakuRireki/gone.txt"), "");
    ASSERT_TRUE(QDir().mkpath(dir() + QStringLiteral("Settei1.ini")));
    rebuild(true, At(2026, 12, 10));
    EXPECT_TRUE(QFile::exists(dir() + QStringLiteral("KakakuRireki/gone.txt")));
}

} // namespace
