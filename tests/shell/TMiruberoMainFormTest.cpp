#include "shell/TMiruberoMainForm.h"
#include "FakeRetrieval.h"
#include "ResidentFixture.h"
#include "store/Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

using namespace testsupport;
using shell::TMiruberoMainForm;

namespace {

class MainFormTest : public ResidentFixture {
protected:
    QString dataFolder() const { return folders.documents + QStringLiteral("/ヨツバネ/MiruberoData"); }
};

TEST_F(MainFormTest, CreationSetsUpFoldersTrayAndEngine)
{
    ASSERT_FALSE(QFileInfo::exists(folders.documents));
    ASSERT_TRUE(form->FormCreate());

    // The data folder is created together with its missing parents.
    EXPECT_TRUE(QFileInfo(dataFolder()).isDir());
    EXPECT_EQ(form->DataDir(), dataFolder() + QLatin1Char('/'));
    EXPECT_EQ(form->ExeDir(), folders.program + QLatin1Char('/'));
    EXPECT_EQ(speech.loadedPath, folders.program + QStringLiteral("/libAquesTalkDa.so"));
    EXPECT_EQ(speech.creates, 1);

    EXPECT_TRUE(tray.visible);
    EXPECT_EQ(tray.hint, QStringLiteral("ミルベロ"));
    EXPECT_TRUE(testsupport::State(*form).StartingUp);
    EXPECT_FALSE(form->Notice().KakakuChanged);
    EXPECT_FALSE(testsupport::State(*form).RebuildRequest);
    EXPECT_FALSE(form->MonitorRunning());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MainFormTest, AnExistingDataFolderIsKeptAsItIs)
{
    ASSERT_TRUE(QDir().mkpath(dataFolder()));
    QFile kept(dataFolder() + QStringLiteral("/Total.ini"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write("[Komoku]\r\n");
    kept.close();

    ASSERT_TRUE(form->FormCreate());
    EXPECT_EQ(scratch.listFiles(),
              QStringList{QStringLiteral("home/Documents/ヨツバネ/MiruberoData/Total.ini")});
}

TEST_F(MainFormTest, ASettingsFileThatCannotBeReadEndsTheProgramBeforeAnythingIsWritten)
{
    // A folder stands for any "Total.ini" that is there but cannot be read; it is no first start.
    const QString total = dataFolder() + QStringLiteral("/Total.ini");
    ASSERT_TRUE(QDir().mkpath(total));
    EXPECT_FALSE(form->FormCreate());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, TMiruberoMainForm::UnreadableTotalMessage(total));
    EXPECT_TRUE(dialogs.shown[0].text.contains(total));
    EXPECT_TRUE(scratch.listFiles().isEmpty());
}

TEST_F(MainFormTest, MissingEngineEndsWithItsMessageAndWritesNothing)
{
    speech.loads = false;
    EXPECT_FALSE(form->FormCreate());

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("声のデータが存在しません。\r終了します。"));
    EXPECT_FALSE(dialogs.shown[0].question);
    EXPECT_EQ(speech.creates, 0);
    EXPECT_TRUE(scratch.listFiles().isEmpty());

    // Nothing was created, so nothing is released.
    form.reset();
    EXPECT_EQ(speech.releases, 0);
}

TEST_F(MainFormTest, EngineIsReleasedOnceWhenTheResidentSideGoes)
{
    ASSERT_TRUE(form->FormCreate());
    form.reset();
    EXPECT_EQ(speech.releases, 1);
}

TEST_F(MainFormTest, TrayMenuIsUsableOnlyWhileTheWatchListIsClosed)
{
    ASSERT_TRUE(form->FormCreate());
    form->AttachWatchList(&view);
    EXPECT_FALSE(tray.showEnabled);
    EXPECT_FALSE(tray.exitEnabled);

    // Showing the window from the tray icon leaves the menu as it is.
    tray.handlers.MouseUp(platform::MouseButton::Left);
    EXPECT_EQ(view.shows, 1);
    EXPECT_EQ(view.raises, 1);
    EXPECT_FALSE(tray.showEnabled);

    form->WatchListClosed();
    EXPECT_TRUE(tray.showEnabled);
    EXPECT_TRUE(tray.exitEnabled);

    tray.handlers.ShowCommand();
    EXPECT_FALSE(tray.showEnabled);
    EXPECT_FALSE(tray.exitEnabled);
    EXPECT_EQ(view.shows, 2);
    EXPECT_EQ(view.raises, 2);

    form->WatchListClosed();
    tray.handlers.MouseUp(platform::MouseButton::Left);
    EXPECT_TRUE(tray.showEnabled);
}

TEST_F(MainFormTest, TrayButtons)
{
    ASSERT_TRUE(form->FormCreate());
    form->AttachWatchList(&view);

    tray.handlers.MouseUp(platform::MouseButton::Right);
    EXPECT_EQ(tray.popups, 1);
    EXPECT_EQ(view.shows, 0);

    tray.handlers.MouseUp(platform::MouseButton::Middle);
    EXPECT_EQ(tray.popups, 1);
    EXPECT_EQ(view.shows, 0);

    tray.handlers.ExitCommand();
    EXPECT_EQ(eventLoop.quits, 1);
}

TEST_F(MainFormTest, OpenAuction)
{
    ASSERT_TRUE(form->FormCreate());

    form->OpenAuction(QString());
    EXPECT_TRUE(shellOpen.opened.isEmpty());
    EXPECT_TRUE(dialogs.shown.empty());

    const QString page = QStringLiteral("https://page.auctions.yahoo.co.jp/jp/auction/x1");
    form->OpenAuction(page);
    EXPECT_EQ(shellOpen.opened, QStringList{page});
    EXPECT_TRUE(dialogs.shown.empty());

    shellOpen.succeed = false;
    form->OpenAuction(page);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("指定したオークションの表示に失敗しました。")});
}

TEST_F(MainFormTest, FirstTicksShowTheWatchListAndEndTheStartUpStage)
{
    ASSERT_TRUE(form->FormCreate());
    form->AttachWatchList(&view);
    view.onShow = [this] { model.KakakuCheckRequest = true; };

    form->MainTimerTimer();
    EXPECT_EQ(view.shows, 1);
    EXPECT_GE(eventLoop.pumped, 1);
    EXPECT_FALSE(testsupport::State(*form).StartupBusy);
    EXPECT_FALSE(model.KakakuCheckRequest);
    EXPECT_FALSE(testsupport::State(*form).StartingUp);

    // Once started, ticks no longer show the window by themselves.
    form->MainTimerTimer();
    EXPECT_EQ(view.shows, 1);
}

TEST_F(MainFormTest, TicksDuringTheStartUpOfflineMessageDoNotRaiseTheWindowOverIt)
{
    ASSERT_TRUE(form->FormCreate());
    form->AttachWatchList(&view);
    view.onShow = [this] { model.KakakuCheckRequest = true; };
    testsupport::FakeRetrieval retrieval;
    retrieval.form = form.get();
    retrieval.probe = &probe;
    form->AttachPriceCheck(&retrieval);
    probe.reachable = false;
    // The message box runs its own loop, in which the timer goes on ticking.
    int nested = 0;
    dialogs.onShow = [&] {
        while (nested < 3) {
            ++nested;
            form->MainTimerTimer();
        }
    };
    form->MainTimerTimer();
    EXPECT_EQ(dialogs.texts(), QStringList{shell::Monitor::OfflineMessage()});
    EXPECT_EQ(view.shows, 1);
    EXPECT_EQ(view.raises, 1);
    EXPECT_FALSE(testsupport::State(*form).StartingUp);
}

TEST_F(MainFormTest, TickEnteredFromInsideTheStartUpRebuildReturns)
{
    ASSERT_TRUE(form->FormCreate());
    form->AttachWatchList(&view);
    testsupport::State(*form).StartupBusy = true;
    form->MainTimerTimer();
    EXPECT_EQ(view.shows, 0);
    EXPECT_TRUE(testsupport::State(*form).StartingUp);
}

} // namespace

namespace {

void WriteCp932(const QString& path, const QString& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(store::ToCp932(text));
}

TEST_F(MainFormTest, TicksRebuildTheScheduleFromTheDataFolder)
{
    ASSERT_TRUE(form->FormCreate());
    form->AttachWatchList(&view);
    view.onShow = [this] { model.KakakuCheckRequest = true; };
    testsupport::FakeRetrieval retrieval;
    retrieval.form = form.get();
    retrieval.probe = &probe;
    form->AttachPriceCheck(&retrieval);
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(12, 0));
    WriteCp932(form->DataDir() + QStringLiteral("Total.ini"),
               QStringLiteral("[KomokuCount]\r\nValue=1\r\n[EndAuction]\r\nDel=2\r\n"));
    WriteCp932(form->DataDir() + QStringLiteral("Settei0.ini"),
               QStringLiteral("[1]\r\nURL=old\r\nShuryoTime=2026/12/01\r\n[2]\r\nURL=new\r\n"
                              "ShuryoTime=2026/12/11 9:00:00\r\nTitle=[終了]x\r\n"));

    // The first tick prunes (start-up), shows the window and clears the ended flags.
    form->MainTimerTimer();
    EXPECT_TRUE(testsupport::State(*form).ShowRequest);
    ASSERT_EQ(form->Schedule().KomokuCount(), 1);
    EXPECT_EQ(form->Schedule().At(0, 0).URL, QStringLiteral("new"));
    EXPECT_FALSE(form->Schedule().At(0, 0).Ended);
    EXPECT_FALSE(testsupport::State(*form).StartingUp);
    EXPECT_EQ(probe.probed.size(), 1) << "the window's request ran the first check";
    EXPECT_NE(testsupport::State(*form).LastPassEnd, 0u);

    // A save's request rebuilds once more, now with the ended flags from the titles.
    testsupport::State(*form).RebuildRequest = true;
    form->MainTimerTimer();
    EXPECT_FALSE(testsupport::State(*form).RebuildRequest);
    EXPECT_TRUE(form->Schedule().At(0, 0).Ended);
}

} // namespace
