#pragma once

#include "platform/WindowView.h"
#include "shell/AlarmsSeen.h"
#include "shell/RetrievalCalls.h"
#include "shell/Schedule.h"
#include "shell/ShellPlatform.h"
#include "shell/SpeechEngine.h"
#include "store/WatchListModel.h"

#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace testsupport {
struct ResidentAccess;
}

namespace shell {

// What the monitor carries from one tick to the next.
struct MonitorState {
    bool StartingUp = true;
    bool RebuildRequest = false;
    bool ShowRequest = false;
    bool StartupBusy = false;
    bool Offline = false;
    std::uint32_t ResumeTime = 0;
    std::uint32_t LastPassEnd = 0;
    int RetryCount = 0;
    bool AlarmShown = false;
    bool WarnShown = false;
};

// What the monitor reaches of the resident window around it.
class MonitorHost {
public:
    virtual ~MonitorHost() = default;

    virtual void ShowWatchList() = 0;
    virtual void OpenAuction(const QString& url) = 0;
    virtual QString TrayHint() const = 0;
    virtual void SetTrayHint(const QString& hint) = 0;
    virtual void ShowBalloon(const QString& title, const QString& text) = 0;
    // The data folder, with its trailing "/".
    virtual QString DataDir() const = 0;
    // The watch-list window once it exists; null before.
    virtual platform::WindowView* WatchListView() const = 0;
};

// The monitor: a tick that rebuilds the schedule when asked, raises the alarms and budget
// warnings of the auctions about to end, and starts the price checks (asked for, periodic,
// retried) and the registrations that waited for them. It keeps its state between ticks and
// hears how each pass ended.
//
// The tick runs every 100 ms only while something is at hand (the start-up, a rebuild or check
// asked for, a pass or registration at work, an alarm window open, a moment already due but
// held back). Otherwise it sleeps until the next moment something can fall due, a minute at
// most, and the clock's changes wake it.
class Monitor {
public:
    static constexpr int MainTimerInterval = 100;
    static constexpr int AlarmWindowSeconds = 15;
    static constexpr std::uint32_t RearmDelayMs = 30000;
    static constexpr std::int32_t PeriodicIntervalMs = 40000;
    static constexpr std::int32_t ResumeHoldOffMs = 60000;
    static constexpr int RetryWaitMs = 1000;
    static constexpr int RetryLimit = 5;
    // The longest sleep: the wall clock that the alarms keep and the monotonic one the timer
    // keeps drift apart by at most 30 ms in a minute while the system slews its time.
    static constexpr int LongestSleepMs = 60000;

    struct Parts {
        ShellPlatform& Platform;
        store::WatchListModel& Model;
        shell::Schedule& Schedule;
        SpeechEngine& Speech;
    };

    Monitor(Parts parts, MonitorHost& host);

    static QString OfflineMessage();
    static QString OfflineHint();
    // What the message line and a balloon say before the alarms no tick could ask.
    static QString MissedAlarmsMessage();

    // The page retrieval that runs price checks, and the registration of addresses.
    void AttachPriceCheck(PriceCheckRunner* runner) { m_priceCheck = runner; }
    void AttachRegistration(CellRegistration* registration) { m_registration = registration; }

    void MainTimerTimer();
    void Stop();
    // The next tick comes after 100 ms, and from it the monitor plans its own.
    void Start();
    bool Running() const { return m_running; }
    // How long the tick may sleep from now: until the nearest moment at which something can
    // fall due, 100 ms while something is at hand, LongestSleepMs at most.
    int NextTickDelay() const;
    // Reads the stored files into the schedule (pruning old auctions at start-up).
    void RebuildSchedule();
    // Asks the next tick to rebuild the schedule.
    void RequestRebuild();
    // A power-broadcast event code (platform::PowerNotices).
    void PowerEvent(int code);
    // Stops what the page retrieval runs.
    void StopRetrieval();
    // The clock as a time stamp whose 0 keeps meaning "none".
    std::uint32_t Stamp() const;

    // How a price-check pass reports.
    void ProbeAnswered(PassStart start, bool reached);
    void EndKakakuCheck();
    void PageChecked() { m_state.RetryCount = 0; }
    void PassSkipped();
    void PassFailed();
    void PassStopped();
    void CheckSoon();

    const MonitorState& State() const { return m_state; }

private:
    // The tests set up the monitor's state directly.
    friend struct testsupport::ResidentAccess;

    KomokuAlarm& AlarmOf(int komoku) { return m_alarms[static_cast<size_t>(komoku)]; }

    // What changed may be due sooner than the tick planned: it plans again.
    void Replan();

    // Steps of the tick.
    void Tick();
    void StartUpStage();
    void AlarmScan(int komokuCount);
    // Calls `visit` for every set alarm of a slot not ended, in the categories the schedule holds,
    // with how late it is in whole milliseconds (negative before it), so that both ends of the
    // window hold exactly.
    void
    ForEachAlarm(int komokuCount,
                 const std::function<void(int k, int s, const ScheduleSlot&, double lateMs)>& visit) const;
    // The first category whose latch is free and whose list (the slots in their alarm window,
    // or those over budget) is not empty, with its first slot; nothing while shown.
    std::optional<std::pair<int, int>> LatchedCategory(int komokuCount, bool shown,
                                                       std::vector<int> KomokuAlarm::*list);
    void BudgetWarning(int komokuCount);
    void Alarm(int komokuCount);
    void Rearm(int komokuCount);
    // The alarms whose window passed while no tick ran (the machine asleep, the program not
    // running), listed once on the message line and in a balloon; never asked late.
    void ListMissedAlarms();
    QString MissedAlarmText(int komoku, int slot, const ScheduleSlot& entry) const;
    AlarmsSeen& Seen();
    // Writes the seen alarms when one was added, keeping those the schedule holds.
    void SaveSeen();
    // Opens slot (komoku, 0 to 9)'s page for the alarm, when its address is a web address.
    void OpenFromAlarm(int komoku, int slot);
    void RequestedCheck();
    // A probe reached the Internet: the offline mark goes, from the state and the tray hint.
    void Online();
    void PeriodicCheck();
    void Retry();
    void HandOverRegistration();

    void RunPriceCheckPass(PassStart start);
    // Nothing runs: no pass, no registration, no probe before either.
    bool RetrievalIdle() const;
    QString TabCaption(int komoku) const;
    QString KakakuText(int komoku, int slot) const;

    Parts m_parts;
    MonitorHost& m_host;
    QTimer m_mainTimer;
    // Started and not stopped; the timer itself is idle while the tick runs.
    bool m_running = false;
    PriceCheckRunner* m_priceCheck = nullptr;
    CellRegistration* m_registration = nullptr;
    MonitorState m_state;
    // One per category of the schedule.
    std::vector<KomokuAlarm> m_alarms;
    int m_alarmCount = 0;
    int m_overCount = 0;
    AlarmsSeen m_seen;
    // At the start and after a resume, the next tick looks for the alarms no tick saw.
    bool m_missedCheck = true;
};

} // namespace shell
