#include "FakeRetrieval.h"
#include "ResidentFixture.h"

#include "shell/TMiruberoMainForm.h"
#include "store/DayCount.h"
#include "store/StoredFiles.h"
#include "support/Transfers.h"

#include <gtest/gtest.h>

#include <memory>

using namespace testsupport;
using shell::TMiruberoMainForm;

namespace {

class MonitorTest : public ResidentFixture {
protected:
    MonitorTest() { startResident(); }

    void startResident()
    {
        EXPECT_TRUE(form->FormCreate());
        form->AttachWatchList(&view);
        retrieval.form = form.get();
        retrieval.probe = &probe;
        form->AttachPriceCheck(&retrieval);
        form->AttachRegistration(&retrieval);
        testsupport::State(*form).StartingUp = false;
        setKomokuCount(2);
        model.Komokus[0].Name = QStringLiteral("カメラ");
        model.Komokus[1].Name = QStringLiteral("時計");
        clock.current = QDateTime(QDate(2026, 12, 10), QTime(9, 59, 50));
        clock.ticks = 5'000'000;
        form->Schedule().Settings.Speak = false;
    }

    void setKomokuCount(int n)
    {
        model.KomokuCount = n;
        model.Komokus.resize(static_cast<size_t>(n));
        form->Schedule().Komoku.resize(static_cast<size_t>(n));
        testsupport::Alarms(*form).resize(static_cast<size_t>(n));
    }

    shell::ScheduleSlot& slot(int k, int s, QTime alarm, const QString& url = {})
    {
        shell::ScheduleSlot& entry = form->Schedule().At(k, s);
        entry.AlarmAt = store::ToDayCount(QDateTime(QDate(2026, 12, 10), alarm));
        entry.EndAt = entry.AlarmAt + 10.0 / 1440;
        entry.URL = url.isEmpty() ? QStringLiteral("https://page/%1/%2").arg(k).arg(s) : url;
        return entry;
    }

    void tick() { form->MainTimerTimer(); }
    int planned() const { return form->Monitor().NextTickDelay(); }
    // Sleeps as the tick plans it, for the given time: the clock moves on by each planned
    // sleep and the tick follows, as the timer would make it.
    void sleepAsPlanned(int milliseconds)
    {
        while (milliseconds > 0) {
            const int sleep = planned();
            ASSERT_GE(sleep, 1);
            ASSERT_LE(sleep, shell::Monitor::LongestSleepMs);
            if (sleep > milliseconds) {
                clock.advance(milliseconds);
                return;
            }
            milliseconds -= sleep;
            clock.advance(sleep);
            tick();
        }
    }
    // Ticks every 100 ms for the given time.
    void run(int milliseconds)
    {
        for (int t = 0; t < milliseconds; t += 100) {
            clock.advance(100);
            tick();
        }
    }
    int questions() const
    {
        int n = 0;
        for (const auto& m : dialogs.shown)
            n += m.question ? 1 : 0;
        return n;
    }

    FakeRetrieval retrieval;
};

TEST_F(MonitorTest, AlarmFallsDueWithinFifteenSecondsOfItsTime)
{
    slot(0, 0, QTime(10, 0));
    QDateTime firstQuestion;
    dialogs.onShow = [&] { firstQuestion = clock.current; };
    run(30'000);
    ASSERT_EQ(questions(), 1);
    EXPECT_EQ(firstQuestion, QDateTime(QDate(2026, 12, 10), QTime(10, 0)));
    EXPECT_EQ(dialogs.shown[0].text,
              QStringLiteral("カメラ - No1のオークション\r\n現在価格:\r\n終了直前です。表示しますか？"));
    EXPECT_EQ(dialogs.shown[0].caption, QStringLiteral("ミルベロ"));

    // Both ends of the window hold; past it, or ended, or without a time, nothing.
    for (const int lateMs : {0, 15'000, 15'001}) {
        MonitorTest::TearDown();
        testsupport::State(*form).AlarmShown = false;
        for (shell::KomokuAlarm& alarm : testsupport::Alarms(*form))
            alarm.LatchTime = 0;
        dialogs.shown.clear();
        clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 0)).addMSecs(lateMs);
        tick();
        EXPECT_EQ(questions(), lateMs <= 15'000 ? 1 : 0) << lateMs;
    }
    dialogs.shown.clear();
    testsupport::State(*form).AlarmShown = false;
    form->Schedule().At(0, 0).Ended = true;
    form->Schedule().At(0, 1).AlarmAt = 0;
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 0, 5));
    tick();
    EXPECT_EQ(questions(), 0);
}

TEST_F(MonitorTest, AlarmsNoTickSawAreListedOnceAfterAResumeAndAfterARestartNeverAsked)
{
    form->Schedule().Settings.Balloon = true;
    model.SlotAt(0, 3).Cells[store::ColTitle] = QStringLiteral("一眼レフ");
    slot(0, 2, QTime(10, 0));
    slot(1, 0, QTime(10, 1));
    slot(1, 1, QTime(10, 30));
    tick();
    EXPECT_TRUE(model.LabelMsgNotice.isEmpty()) << "nothing has passed at the start";

    // Asleep from 9:59:55 to 10:10: two windows passed, the third is ahead.
    clock.advance(5'000);
    form->PowerEvent(4);
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 10));
    form->PowerEvent(7);
    tick();
    const QString listed =
        QStringLiteral("アラームの時刻を過ぎたオークション: カメラ - No3 一眼レフ（12/10 10:10終了）、"
                       "時計 - No1（12/10 10:11終了）");
    EXPECT_EQ(model.LabelMsgNotice, listed);
    ASSERT_EQ(tray.balloons.size(), 1u);
    EXPECT_EQ(tray.balloons[0].second, listed);
    EXPECT_EQ(questions(), 0) << "a missed alarm is never asked late";
    model.LabelMsgNotice.clear();
    form->PowerEvent(4);
    form->PowerEvent(7);
    run(1'000);
    EXPECT_TRUE(model.LabelMsgNotice.isEmpty()) << "listed once";

    // Awake at 10:30, the third alarm is asked. Not running from 10:31 to 11:00, in which a
    // fourth alarm, set meanwhile, passes: after the restart only that one is listed.
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 30));
    tick();
    EXPECT_EQ(questions(), 1);
    form.reset();
    form = std::make_unique<TMiruberoMainForm>(Platform(), model);
    startResident();
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(11, 0));
    form->Schedule().Settings.Balloon = true;
    slot(0, 2, QTime(10, 0));
    slot(1, 0, QTime(10, 1));
    slot(1, 1, QTime(10, 30));
    slot(1, 4, QTime(10, 45));
    tick();
    EXPECT_EQ(model.LabelMsgNotice,
              QStringLiteral("アラームの時刻を過ぎたオークション: 時計 - No5（12/10 10:55終了）"));
    EXPECT_EQ(questions(), 1);
}

TEST_F(MonitorTest, OverlappingAlarmsShareOneQuestionAndOpenTheirPages)
{
    slot(0, 1, QTime(10, 0));
    slot(1, 4, QTime(10, 0, 5));
    slot(1, 7, QTime(23, 0)); // far away: opened only with All on
    // An address the user typed that is no web address is left out.
    slot(1, 5, QTime(10, 0, 5), QStringLiteral("file:///home/user/.bashrc"));
    dialogs.answers = {true};
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 0, 6));
    tick();
    ASSERT_EQ(questions(), 1);
    EXPECT_EQ(dialogs.shown[0].text,
              QStringLiteral("カメラ - No2他のオークション\r\n終了直前です。表示しますか？"));
    EXPECT_EQ(dialogs.shown.size(), 1u) << "nothing refused is a failed open";
    EXPECT_EQ(shellOpen.opened,
              (QStringList{QStringLiteral("https://page/0/1"), QStringLiteral("https://page/1/4")}));
    EXPECT_FALSE(testsupport::Alarms(*form)[0].Latch);

    // No second question while the windows last.
    run(5'000);
    EXPECT_EQ(questions(), 1);
}

TEST_F(MonitorTest, WithAllOnOneAlarmOpensTheWholeCategoriesAndLatchesTheAskedOne)
{
    form->Schedule().Settings.All = true;
    form->Schedule().Settings.NoHyoji = true;
    slot(0, 1, QTime(10, 0));
    slot(0, 2, QTime(23, 0));
    slot(0, 3, QTime(23, 0)).Ended = true;
    auto& over = slot(0, 5, QTime(23, 0));
    over.OverBudget = true;
    over.Budget = 100;
    slot(1, 0, QTime(23, 0)); // no slot of category 1 in its window
    dialogs.answers = {true};
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 0, 1));
    tick();
    EXPECT_EQ(shellOpen.opened,
              (QStringList{QStringLiteral("https://page/0/1"), QStringLiteral("https://page/0/2")}));
    EXPECT_TRUE(testsupport::Alarms(*form)[0].Latch);

    // The category takes no part in alarms until 30 s after the question.
    slot(0, 4, QTime(10, 0, 20));
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 0, 21));
    clock.advance(0);
    tick();
    EXPECT_EQ(questions(), 1);
    clock.ticks += 30'000;
    tick(); // re-arms
    EXPECT_FALSE(testsupport::Alarms(*form)[0].Latch);
}

TEST_F(MonitorTest, OverBudgetSlotsAreWarnedAboutInsteadOfAlarmed)
{
    form->Schedule().Settings.NoHyoji = true;
    auto& over = slot(0, 2, QTime(10, 0));
    over.OverBudget = true;
    over.Budget = 30000;
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 0));
    run(10'000);
    EXPECT_EQ(dialogs.texts(),
              QStringList{QStringLiteral("カメラ - No3の現在の価格は予算額を超えています。")});
    EXPECT_EQ(questions(), 0);
    EXPECT_TRUE(shellOpen.opened.isEmpty());

    // A budget of 0 with the flag still set: left out without a word.
    dialogs.shown.clear();
    testsupport::State(*form).WarnShown = false;
    over.Budget = 0;
    run(1'000);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MonitorTest, SpeechStartsBeforeTheQuestionWithTheTimerStopped)
{
    form->Schedule().Settings.Speak = true;
    form->Schedule().Settings.SpeakText = QStringLiteral("おわるよ。");
    form->StartMonitor();
    slot(0, 0, QTime(10, 0));
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 0));
    size_t playedBeforeQuestion = 0;
    bool timerDuringQuestion = true;
    dialogs.onShow = [&] {
        playedBeforeQuestion = speech.played.size();
        timerDuringQuestion = form->MonitorRunning();
    };
    tick();
    EXPECT_EQ(playedBeforeQuestion, 1u);
    EXPECT_FALSE(timerDuringQuestion);
    EXPECT_TRUE(form->MonitorRunning());

    // Speech off: the question alone.
    speech.played.clear();
    form->Schedule().Settings.Speak = false;
    testsupport::State(*form).AlarmShown = false;
    for (shell::KomokuAlarm& alarm : testsupport::Alarms(*form))
        alarm.LatchTime = 0;
    tick();
    EXPECT_TRUE(speech.played.empty());
    EXPECT_EQ(questions(), 2);
}

TEST_F(MonitorTest, AnsweringAfterThirtySecondsReArmsInTheSameTick)
{
    slot(0, 0, QTime(10, 0));
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 0));
    dialogs.onShow = [&] { clock.ticks += 31'000; };
    tick();
    EXPECT_FALSE(testsupport::State(*form).AlarmShown);
    EXPECT_EQ(testsupport::Alarms(*form)[0].LatchTime, 0u);
}

TEST_F(MonitorTest, PassesStartOnlyWhenNothingHoldsThemBack)
{
    model.KakakuCheckRequest = true;
    tick();
    EXPECT_EQ(retrieval.passes(), 1);
    EXPECT_EQ(probe.probed, QStringList{QStringLiteral("https://auctions.yahoo.co.jp/")});

    // The periodic pass comes 40 s after the end of the previous one.
    run(39'900);
    EXPECT_EQ(retrieval.passes(), 1);
    run(100);
    EXPECT_EQ(retrieval.passes(), 2);

    const auto heldBack = [&](const std::function<void()>& hold, const std::function<void()>& release) {
        hold();
        run(60'000);
        const int during = retrieval.passes();
        release();
        return during;
    };
    int before = retrieval.passes();
    EXPECT_EQ(heldBack([&] { model.Rearranging = true; }, [&] { model.Rearranging = false; }), before);
    run(100);
    before = retrieval.passes();
    EXPECT_EQ(heldBack([&] { retrieval.mode = shell::RunMode::Registration; },
                       [&] { retrieval.mode = shell::RunMode::Idle; }),
              before);
    run(100);
    before = retrieval.passes();
    EXPECT_EQ(heldBack([&] { model.KakakuCheckButtonCaption = QStringLiteral("価格チェック開始"); },
                       [&] { model.KakakuCheckButtonCaption = store::KakakuCheckStopCaption(); }),
              before);

    // No periodic pass before a first pass has ended.
    testsupport::State(*form).LastPassEnd = 0;
    before = retrieval.passes();
    run(50'000);
    EXPECT_EQ(retrieval.passes(), before);
}

TEST_F(MonitorTest, NoCheckWithinAMinuteOfAResume)
{
    testsupport::State(*form).LastPassEnd = clock.ticks;
    form->PowerEvent(7);
    EXPECT_TRUE(form->MonitorRunning());
    model.KakakuCheckRequest = true;
    run(59'900);
    EXPECT_EQ(retrieval.passes(), 0);
    EXPECT_FALSE(model.KakakuCheckRequest) << "a request in the hold-off is consumed";
    run(200);
    EXPECT_EQ(retrieval.passes(), 1) << "the periodic pass once the hold-off is over";
}

TEST_F(MonitorTest, FailedPassesAreRetriedFiveTimesThenLeftToThePeriodicCheck)
{
    retrieval.failing = true;
    model.KakakuCheckRequest = true;
    tick();
    EXPECT_EQ(retrieval.passes(), 1);
    // A second after the failure, counted on the clock: the window is never held meanwhile.
    run(900);
    EXPECT_EQ(retrieval.passes(), 1);
    run(100);
    EXPECT_EQ(retrieval.passes(), 2);
    for (int i = 0; i < 4; ++i)
        run(1000);
    EXPECT_EQ(retrieval.passes(), 6);
    EXPECT_EQ(testsupport::State(*form).RetryCount, 6);
    tick();
    EXPECT_EQ(testsupport::State(*form).RetryCount, 0);
    EXPECT_EQ(retrieval.passes(), 6);

    const std::uint32_t lastFailure = testsupport::State(*form).LastPassEnd;
    while (clock.ticks - lastFailure < 39'900)
        run(100);
    EXPECT_EQ(retrieval.passes(), 6);
    retrieval.failing = false;
    run(200);
    EXPECT_EQ(retrieval.passes(), 7);
}

TEST_F(MonitorTest, LostConnectionIsReportedOnceAndFoundAgainByItself)
{
    testsupport::State(*form).LastPassEnd = clock.ticks;
    probe.reachable = false;
    run(45'000);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("インターネットにつながっていません。")});
    EXPECT_TRUE(testsupport::State(*form).Offline);
    EXPECT_EQ(tray.hint, QStringLiteral("ミルベロ\rインターネット未接続"));
    // Offline, the probe tries again every 40 s without a word.
    const qsizetype probes = probe.probed.size();
    run(120'000);
    EXPECT_EQ(probe.probed.size(), probes + 3);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(retrieval.passes(), 0);

    // The network comes up: within 40 s the mark goes and the pass runs, the window still hidden.
    probe.reachable = true;
    run(40'000);
    EXPECT_FALSE(testsupport::State(*form).Offline);
    EXPECT_EQ(tray.hint, QStringLiteral("ミルベロ"));
    EXPECT_EQ(retrieval.passes(), 1);
    EXPECT_EQ(dialogs.shown.size(), 1u);

    // A second outage is told again, once.
    probe.reachable = false;
    run(45'000);
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_TRUE(testsupport::State(*form).Offline);
    probe.reachable = true;
    model.KakakuCheckRequest = true;
    tick();
    EXPECT_FALSE(testsupport::State(*form).Offline);
    EXPECT_EQ(tray.hint, QStringLiteral("ミルベロ"));
    EXPECT_EQ(retrieval.passes(), 2);

    // A requested check that cannot probe says so but leaves the periodic checks alone.
    probe.reachable = false;
    model.KakakuCheckRequest = true;
    tick();
    EXPECT_EQ(dialogs.shown.size(), 3u);
    EXPECT_FALSE(testsupport::State(*form).Offline);
}

TEST_F(MonitorTest, ClockWrapChangesNoOutcome)
{
    const std::uint32_t nearWrap = 0xFFFFFFFFu - 15'000;
    // 40 s wait across the wrap.
    clock.ticks = nearWrap;
    testsupport::State(*form).LastPassEnd = nearWrap;
    run(39'900);
    EXPECT_EQ(retrieval.passes(), 0);
    run(100);
    EXPECT_EQ(retrieval.passes(), 1);

    // 30 s latch across the wrap.
    clock.ticks = nearWrap;
    testsupport::State(*form).AlarmShown = true;
    testsupport::Alarms(*form)[1].Latch = true;
    testsupport::Alarms(*form)[1].LatchTime = nearWrap;
    run(29'900);
    EXPECT_TRUE(testsupport::Alarms(*form)[1].Latch);
    run(100);
    EXPECT_FALSE(testsupport::Alarms(*form)[1].Latch);
    EXPECT_FALSE(testsupport::State(*form).AlarmShown);

    // 60 s hold-off across the wrap.
    clock.ticks = nearWrap;
    form->PowerEvent(7);
    run(59'900);
    EXPECT_NE(testsupport::State(*form).ResumeTime, 0u);
    run(100);
    EXPECT_EQ(testsupport::State(*form).ResumeTime, 0u);
}

TEST_F(MonitorTest, ASaveWhileTheScheduleIsRebuiltGetsARebuildOfItsOwn)
{
    // The user saves a new lead time while the rebuild asked for by an earlier save pumps events.
    form->RequestRebuild();
    bool saved = false;
    eventLoop.onPump = [&] {
        if (saved)
            return;
        saved = true;
        store::IniFile total(form->DataDir() + store::TotalIniName());
        store::Write(total, store::total::ArarmTime, 5);
        ASSERT_TRUE(total.Save());
        form->RequestRebuild();
    };
    tick();
    ASSERT_TRUE(saved);
    tick();
    EXPECT_EQ(form->Schedule().Settings.LeadMinutes, 5);
    EXPECT_FALSE(testsupport::State(*form).RebuildRequest);
}

TEST_F(MonitorTest, PendingRegistrationIsHandedOverOnceAfterThePass)
{
    retrieval.pending = {{QStringLiteral("https://page.auctions.yahoo.co.jp/jp/auction/z9"), 1, 4}};
    retrieval.mode = shell::RunMode::Pass;
    tick();
    EXPECT_TRUE(retrieval.log.isEmpty());

    retrieval.mode = shell::RunMode::Idle;
    model.KakakuCheckRequest = true;
    tick();
    tick();
    EXPECT_EQ(
        retrieval.log,
        (QStringList{QStringLiteral("pass"),
                     QStringLiteral("register 1 6 4 https://page.auctions.yahoo.co.jp/jp/auction/z9")}));
    EXPECT_TRUE(retrieval.pending.empty());
}

TEST_F(MonitorTest, EndOfPassBookkeeping)
{
    form->StopMonitor();
    clock.ticks = 7'654'321;
    form->EndKakakuCheck();
    EXPECT_EQ(testsupport::State(*form).LastPassEnd, clock.ticks);
    EXPECT_TRUE(form->MonitorRunning());
    // The window shows what the run state now says, the message line laid out anew.
    EXPECT_EQ(view.layouts, 1);
    EXPECT_GE(view.renders, 1);

    // Checks switched on again: the next tick's 40-second test is met at once.
    testsupport::State(*form).LastPassEnd = 100'000;
    form->CheckSoon();
    EXPECT_EQ(testsupport::State(*form).LastPassEnd, 60'000u);
}

TEST_F(MonitorTest, SuspendEndsARunningPassAndStopsTheTimer)
{
    form->StartMonitor();
    retrieval.mode = shell::RunMode::Pass;
    form->PowerEvent(4);
    EXPECT_EQ(retrieval.mode, shell::RunMode::Idle);
    EXPECT_EQ(retrieval.stops, 1) << "the transfer in flight is cancelled";
    EXPECT_FALSE(form->MonitorRunning());
    form->PowerEvent(3); // not a power code the monitor knows
    EXPECT_FALSE(form->MonitorRunning());
}

TEST_F(MonitorTest, TheTickSleepsUntilTheNextMomentSomethingCanFallDueAndNoLonger)
{
    using shell::Monitor;
    // Nothing can fall due: the longest sleep.
    EXPECT_EQ(planned(), Monitor::LongestSleepMs);

    // An alarm 10 s ahead is asked at its very moment; its window is watched every 100 ms.
    slot(0, 0, QTime(10, 0));
    slot(1, 3, QTime(10, 30)); // beyond the longest sleep
    EXPECT_EQ(planned(), 10'000);
    QDateTime asked;
    dialogs.onShow = [&] { asked = clock.current; };
    sleepAsPlanned(10'000);
    EXPECT_EQ(asked, QDateTime(QDate(2026, 12, 10), QTime(10, 0)));
    EXPECT_EQ(planned(), Monitor::MainTimerInterval);
    // Past the window, the latch re-arms 30 s after it was last touched, to the millisecond.
    sleepAsPlanned(15'100);
    const std::uint32_t touched = testsupport::Alarms(*form)[0].LatchTime;
    ASSERT_NE(touched, 0u);
    EXPECT_EQ(planned(), static_cast<int>(touched + Monitor::RearmDelayMs - clock.ticks));
    sleepAsPlanned(static_cast<int>(touched + Monitor::RearmDelayMs - clock.ticks));
    EXPECT_FALSE(testsupport::State(*form).AlarmShown);
    EXPECT_EQ(questions(), 1);

    // A pass asked for runs at the next tick, the periodic one 40 s after its end.
    form->Schedule().At(1, 3).AlarmAt = 0;
    model.KakakuCheckRequest = true;
    EXPECT_EQ(planned(), Monitor::MainTimerInterval);
    sleepAsPlanned(Monitor::MainTimerInterval);
    EXPECT_EQ(retrieval.passes(), 1);
    EXPECT_EQ(planned(), Monitor::PeriodicIntervalMs);
    sleepAsPlanned(Monitor::PeriodicIntervalMs);
    EXPECT_EQ(retrieval.passes(), 2);

    // A failed pass is retried a second after it ended.
    retrieval.failing = true;
    sleepAsPlanned(Monitor::PeriodicIntervalMs);
    EXPECT_EQ(retrieval.passes(), 3);
    EXPECT_EQ(planned(), Monitor::RetryWaitMs);
    sleepAsPlanned(Monitor::RetryWaitMs);
    EXPECT_EQ(retrieval.passes(), 4);
    retrieval.failing = false;
    sleepAsPlanned(Monitor::RetryWaitMs);
    EXPECT_EQ(retrieval.passes(), 5);

    // After a resume nothing is checked for a minute, and the end of that minute is a moment.
    form->PowerEvent(7);
    clock.advance(20'000);
    EXPECT_EQ(planned(), Monitor::ResumeHoldOffMs - 20'000);
    sleepAsPlanned(Monitor::ResumeHoldOffMs - 20'000);
    EXPECT_EQ(testsupport::State(*form).ResumeTime, 0u);

    // What holds a due pass back for a moment, or a run at work, is looked at every 100 ms.
    model.Rearranging = true;
    sleepAsPlanned(Monitor::PeriodicIntervalMs);
    EXPECT_EQ(planned(), Monitor::MainTimerInterval);
    model.Rearranging = false;
    retrieval.mode = shell::RunMode::Registration;
    EXPECT_EQ(planned(), Monitor::MainTimerInterval);
    retrieval.mode = shell::RunMode::Idle;
    // Checks switched off leave nothing to wait for.
    model.KakakuCheckButtonCaption = QStringLiteral("価格チェック開始");
    EXPECT_EQ(planned(), Monitor::LongestSleepMs);
}

TEST_F(MonitorTest, AClockSetWakesTheSleepingTickForTheAlarmsItBroughtNear)
{
    // The timer runs for real here; the clock is the test's.
    slot(0, 0, QTime(10, 0));
    form->StartMonitor();
    ASSERT_TRUE(clock.changed);
    EXPECT_FALSE(Spin([&] { return questions() > 0; }, 400)) << "asleep for the 10 s to the alarm";
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 0, 1));
    clock.changed();
    EXPECT_TRUE(Spin([&] { return questions() > 0; }, 2'000));
    form->StopMonitor();
}

} // namespace
