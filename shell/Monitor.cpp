// The monitor: the tick and what it drives (the start-up stage, the schedule rebuilds, alarms
// and budget warnings with their latches, the price checks and their retries, the hand-over of
// waiting registrations), the reports of the price-check pass, and the power notices.

#include "shell/Monitor.h"

#include "platform/PowerNotices.h"
#include "shell/ScheduleRebuild.h"
#include "store/DayCount.h"
#include "store/TextRules.h"
#include "store/WatchListModel.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace shell {

namespace {

constexpr double MillisecondsPerDay = 24.0 * 60 * 60 * 1000;

// The distance between two clock readings taken as a signed 32-bit difference, so that
// the clock's wrap past 2^32 does not count as a jump.
std::int64_t Distance(std::uint32_t later, std::uint32_t earlier)
{
    return std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(later - earlier)));
}

} // namespace

Monitor::Monitor(Parts parts, MonitorHost& host) : m_parts(parts), m_host(host)
{
    m_mainTimer.setSingleShot(true);
    // A coarse timer may fire 5 % off its interval: seconds, for a sleep of a minute.
    m_mainTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_mainTimer, &QTimer::timeout, &m_mainTimer, [this] { MainTimerTimer(); });
    // A clock set or a zone change moves every alarm against the planned sleep.
    m_parts.Platform.Clock.onChanged([this] {
        if (m_running)
            Start();
    });
}

void Monitor::Start()
{
    m_running = true;
    m_mainTimer.start(MainTimerInterval);
}

void Monitor::Stop()
{
    m_running = false;
    m_mainTimer.stop();
}

void Monitor::Replan()
{
    if (m_running)
        m_mainTimer.start(NextTickDelay());
}

void Monitor::RequestRebuild()
{
    m_state.RebuildRequest = true;
    Replan();
}

void Monitor::PassStopped()
{
    m_state.RetryCount = 0;
    Replan();
}

int Monitor::NextTickDelay() const
{
    const store::WatchListModel& w = m_parts.Model;
    // At hand: the start-up, a rebuild or a check asked for, and a pass or registration at work,
    // whose end hands over the registrations that waited for it.
    if (m_state.StartingUp || m_state.RebuildRequest || w.KakakuCheckRequest || !RetrievalIdle())
        return MainTimerInterval;

    std::int64_t nearest = LongestSleepMs;
    const auto dueIn = [&nearest](std::int64_t ms) { nearest = std::min(nearest, ms); };
    const std::uint32_t clock = m_parts.Platform.Clock.tickCount();

    // An alarm window opens, or is open: the alarm and the budget warning come in it.
    const int komokuCount = w.KomokuCount;
    ForEachAlarm(komokuCount, [&](int, int, const ScheduleSlot&, double late) {
        if (late <= AlarmWindowSeconds * 1000.0)
            dueIn(late >= 0 ? 0 : static_cast<std::int64_t>(std::min(-late, double{LongestSleepMs})));
    });
    // A latch re-arms.
    const int latched = std::min<int>(komokuCount, static_cast<int>(m_alarms.size()));
    for (int k = 0; k < latched; ++k) {
        const std::uint32_t latchTime = m_alarms[static_cast<size_t>(k)].LatchTime;
        if (latchTime != 0)
            dueIn(static_cast<std::int64_t>(RearmDelayMs) - static_cast<std::int64_t>(clock - latchTime));
    }
    // The pause after a resume ends.
    if (m_state.ResumeTime != 0)
        dueIn(ResumeHoldOffMs - Distance(clock, m_state.ResumeTime));
    // A failed pass is retried, or the retries give up.
    if (m_state.RetryCount > RetryLimit)
        dueIn(0);
    else if (m_state.RetryCount > 0)
        dueIn(RetryWaitMs - Distance(clock, m_state.LastPassEnd));
    // The periodic check comes, after the pause of a resume; what holds it back for a moment
    // (slots being rearranged) is looked at every 100 ms once it is due.
    if (m_state.ResumeTime == 0 && w.KakakuCheckButtonCaption == store::KakakuCheckStopCaption() &&
        w.KomokuCount > 0 && m_state.LastPassEnd != 0)
        dueIn(PeriodicIntervalMs - Distance(clock, m_state.LastPassEnd));

    return nearest <= 0 ? MainTimerInterval : static_cast<int>(nearest);
}

QString Monitor::OfflineMessage()
{
    return QStringLiteral("インターネットにつながっていません。");
}

QString Monitor::OfflineHint()
{
    return QStringLiteral("インターネット未接続");
}

std::uint32_t Monitor::Stamp() const
{
    // 0 means "none" in the time stamps; the clock reads 0 once every 49 days.
    return std::max<std::uint32_t>(m_parts.Platform.Clock.tickCount(), 1);
}

QString Monitor::TabCaption(int komoku) const
{
    const auto& komokus = m_parts.Model.Komokus;
    return komoku < static_cast<int>(komokus.size()) ? komokus[static_cast<size_t>(komoku)].TabCaption()
                                                     : store::Komoku().TabCaption();
}

QString Monitor::KakakuText(int komoku, int slot) const
{
    const auto& komokus = m_parts.Model.Komokus;
    if (komoku >= static_cast<int>(komokus.size()))
        return {};
    return komokus[static_cast<size_t>(komoku)].Slots[static_cast<size_t>(slot)].KakakuText;
}

bool Monitor::RetrievalIdle() const
{
    return !m_priceCheck || m_priceCheck->Mode() == RunMode::Idle;
}

void Monitor::MainTimerTimer()
{
    Tick();
    Replan();
}

void Monitor::Tick()
{
    // A pass runs on the event loop and no longer holds the tick back: alarms come in their
    // window while pages are read, and every step that would start a transfer waits for it.
    if (m_state.StartingUp) {
        StartUpStage();
        if (m_state.StartupBusy)
            return;
    }
    if (m_state.RebuildRequest) {
        // Cleared first: a save handled while the rebuild pumps events asks for one more.
        m_state.RebuildRequest = false;
        RebuildSchedule();
    }
    const int komokuCount = m_parts.Model.KomokuCount;
    if (komokuCount > 0) {
        AlarmScan(komokuCount);
        if (m_overCount > 0)
            BudgetWarning(komokuCount);
        if (m_alarmCount > 0)
            Alarm(komokuCount);
    }
    Rearm(komokuCount);
    RequestedCheck();
    if (m_missedCheck && !m_state.StartingUp)
        ListMissedAlarms();
    if (m_state.ResumeTime != 0 &&
        Distance(m_parts.Platform.Clock.tickCount(), m_state.ResumeTime) >= ResumeHoldOffMs)
        m_state.ResumeTime = 0;
    PeriodicCheck();
    Retry();
    HandOverRegistration();
}

void Monitor::StartUpStage()
{
    if (!m_state.ShowRequest && !m_state.StartupBusy) {
        m_state.StartupBusy = true;
        RebuildSchedule();
    }
    if (m_state.ShowRequest) {
        // The ticks that run while the start-up's offline message is open must not raise the
        // window over that message again and again.
        if (!m_host.WatchListView() || !m_host.WatchListView()->isWindowVisible())
            m_host.ShowWatchList();
        m_parts.Platform.EventLoop.processEvents();
        m_state.StartupBusy = false;
    }
}

void Monitor::ForEachAlarm(
    int komokuCount, const std::function<void(int k, int s, const ScheduleSlot&, double lateMs)>& visit) const
{
    // The schedule may hold fewer categories than the window counts; only what it holds is read.
    const int scanned =
        std::min({komokuCount, m_parts.Schedule.KomokuCount(), static_cast<int>(m_alarms.size())});
    if (scanned <= 0)
        return;
    const double now = store::ToDayCount(m_parts.Platform.Clock.now());
    for (int k = 0; k < scanned; ++k) {
        for (int s = 0; s < store::SlotsPerKomoku; ++s) {
            const ScheduleSlot& slot = m_parts.Schedule.At(k, s);
            if (slot.AlarmAt > 0 && !slot.Ended)
                visit(k, s, slot, std::round((now - slot.AlarmAt) * MillisecondsPerDay));
        }
    }
}

void Monitor::AlarmScan(int komokuCount)
{
    for (KomokuAlarm& alarm : m_alarms) {
        alarm.InWindow.clear();
        alarm.OverBudget.clear();
    }
    m_alarmCount = 0;
    m_overCount = 0;
    const bool noHyoji = m_parts.Schedule.Settings.NoHyoji;
    ForEachAlarm(komokuCount, [&](int k, int s, const ScheduleSlot& slot, double late) {
        if (late < 0 || late > AlarmWindowSeconds * 1000.0)
            return;
        // An over-budget slot is left out of the alarm, and only a positive budget is warned about.
        if (noHyoji && slot.Budget > 0 && slot.OverBudget) {
            AlarmOf(k).OverBudget.push_back(s);
            ++m_overCount;
        }
        if (!noHyoji || !slot.OverBudget) {
            AlarmOf(k).InWindow.push_back(s);
            ++m_alarmCount;
        }
        Seen().Add(slot.URL, slot.AlarmAt);
    });
    SaveSeen();
}

AlarmsSeen& Monitor::Seen()
{
    if (!m_seen.Loaded()) {
        const QString dataDir = m_host.DataDir();
        m_seen.Load(dataDir.isEmpty() ? QString() : dataDir + AlarmsSeen::FileName());
    }
    return m_seen;
}

void Monitor::SaveSeen()
{
    if (!m_seen.Changed())
        return;
    QSet<QByteArray> current;
    for (int k = 0; k < m_parts.Schedule.KomokuCount(); ++k) {
        for (int s = 0; s < store::SlotsPerKomoku; ++s) {
            const ScheduleSlot& slot = m_parts.Schedule.At(k, s);
            if (slot.AlarmAt > 0)
                current.insert(AlarmsSeen::Key(slot.URL, slot.AlarmAt));
        }
    }
    m_seen.Save(current);
}

QString Monitor::MissedAlarmsMessage()
{
    return QStringLiteral("アラームの時刻を過ぎたオークション: ");
}

QString Monitor::MissedAlarmText(int komoku, int slot, const ScheduleSlot& entry) const
{
    QString text = TabCaption(komoku) + QStringLiteral(" - No") + QString::number(slot + 1);
    const store::WatchListModel& model = m_parts.Model;
    if (komoku < static_cast<int>(model.Komokus.size())) {
        const QString title = model.SlotAt(komoku, slot + 1).Cells[store::ColTitle].trimmed();
        if (!title.isEmpty())
            text += QLatin1Char(' ') + title;
    }
    if (entry.EndAt > 0)
        text += QStringLiteral("（") + store::FromDayCount(entry.EndAt).toString(QStringLiteral("M/d H:mm")) +
                QStringLiteral("終了）");
    return text;
}

void Monitor::ListMissedAlarms()
{
    m_missedCheck = false;
    const bool noHyoji = m_parts.Schedule.Settings.NoHyoji;
    QStringList missed;
    ForEachAlarm(m_parts.Model.KomokuCount, [&](int k, int s, const ScheduleSlot& slot, double late) {
        // Passed, would have been asked (an over-budget slot is left out of the alarm), and seen by
        // no tick: the alarm was missed. From now on it counts as seen.
        if (late <= AlarmWindowSeconds * 1000.0 || (noHyoji && slot.OverBudget))
            return;
        if (Seen().Add(slot.URL, slot.AlarmAt))
            missed << MissedAlarmText(k, s, slot);
    });
    SaveSeen();
    if (missed.isEmpty())
        return;
    const QString text = MissedAlarmsMessage() + missed.join(QStringLiteral("、"));
    m_parts.Model.LabelMsgNotice = text;
    if (platform::WindowView* view = m_host.WatchListView()) {
        view->layoutMessageLabel();
        view->render();
    }
    if (m_parts.Schedule.Settings.Balloon)
        m_host.ShowBalloon(store::ProductName(), text);
}

std::optional<std::pair<int, int>> Monitor::LatchedCategory(int komokuCount, bool shown,
                                                            std::vector<int> KomokuAlarm::*list)
{
    // Only one question and one warning may be open or pending at a time: every category this
    // visits keeps the latch busy, and a category answered "Yes" with All on takes no part.
    const int visited = std::min<int>(komokuCount, static_cast<int>(m_alarms.size()));
    for (int k = 0; k < visited; ++k) {
        KomokuAlarm& alarm = AlarmOf(k);
        if (alarm.Latch)
            continue;
        alarm.LatchTime = Stamp();
        const std::vector<int>& due = alarm.*list;
        if (due.empty()) {
            if (shown)
                return std::nullopt;
            continue;
        }
        if (shown)
            return std::nullopt;
        return std::pair(k, due.front());
    }
    return std::nullopt;
}

void Monitor::BudgetWarning(int komokuCount)
{
    const auto over = LatchedCategory(komokuCount, m_state.WarnShown, &KomokuAlarm::OverBudget);
    if (!over)
        return;
    const auto [k, s] = *over;
    m_state.WarnShown = true;
    Stop();
    const QString text = TabCaption(k) + QStringLiteral(" - No") + QString::number(s + 1) +
                         (m_overCount == 1 ? QStringLiteral("の現在の価格は予算額を超えています。")
                                           : QStringLiteral("他の現在の価格は予算額を超えています。"));
    m_parts.Platform.Dialogs.showMessage(text);
    Start();
}

void Monitor::Alarm(int komokuCount)
{
    const auto due = LatchedCategory(komokuCount, m_state.AlarmShown, &KomokuAlarm::InWindow);
    if (!due)
        return;
    const auto [k, s] = *due;
    m_state.AlarmShown = true;
    // The sentence plays on while the question is open.
    if (m_parts.Schedule.Settings.Speak)
        m_parts.Speech.Play(m_parts.Schedule.Settings.SpeakText);
    Stop();
    QString text = TabCaption(k) + QStringLiteral(" - No") + QString::number(s + 1);
    if (m_alarmCount == 1)
        text += QStringLiteral("のオークション\r\n現在価格:") + KakakuText(k, s) + QStringLiteral("\r\n");
    else
        text += QStringLiteral("他のオークション\r\n");
    text += QStringLiteral("終了直前です。表示しますか？");
    const bool yes =
        m_parts.Platform.Dialogs.askYesNo(text, store::ProductName(), platform::MessageIcon::Question, true);
    if (yes && !m_parts.Schedule.Settings.All) {
        for (size_t j = 0; j < m_alarms.size(); ++j)
            for (const int t : m_alarms[j].InWindow)
                OpenFromAlarm(static_cast<int>(j), t);
    } else if (yes) {
        AlarmOf(k).Latch = true;
        // One alarm opens every running auction of the categories concerned.
        for (size_t j = 0; j < m_alarms.size(); ++j) {
            if (m_alarms[j].InWindow.empty())
                continue;
            for (int t = 0; t < store::SlotsPerKomoku; ++t) {
                const ScheduleSlot& slot = m_parts.Schedule.At(static_cast<int>(j), t);
                if (!slot.Ended && !(m_parts.Schedule.Settings.NoHyoji && slot.OverBudget))
                    OpenFromAlarm(static_cast<int>(j), t);
            }
        }
    }
    Start();
}

void Monitor::OpenFromAlarm(int komoku, int slot)
{
    // Only a web address goes to the browser; the slot's hint says why another opened nothing.
    if (const auto address = store::WebAddress(m_parts.Schedule.At(komoku, slot).URL.trimmed()))
        m_host.OpenAuction(*address);
}

void Monitor::Rearm(int komokuCount)
{
    const int count = std::min<int>(komokuCount, static_cast<int>(m_alarms.size()));
    const std::uint32_t clock = m_parts.Platform.Clock.tickCount();
    for (int k = 0; k < count; ++k) {
        std::uint32_t& latchTime = AlarmOf(k).LatchTime;
        // The elapsed time as an unsigned difference holds across the clock's wrap.
        if (latchTime != 0 && clock - latchTime >= RearmDelayMs) {
            AlarmOf(k).Latch = false;
            latchTime = 0;
            m_state.AlarmShown = false;
            m_state.WarnShown = false;
        }
    }
}

void Monitor::RequestedCheck()
{
    store::WatchListModel& w = m_parts.Model;
    if (!w.KakakuCheckRequest)
        return;
    w.KakakuCheckRequest = false;
    // The pass probes first and tells ProbeAnswered what it found.
    if (RetrievalIdle() && !w.Rearranging && w.KomokuCount > 0 && m_state.ResumeTime == 0)
        RunPriceCheckPass(PassStart::Requested);
    if (m_state.StartingUp)
        m_state.StartingUp = false;
}

void Monitor::ProbeAnswered(PassStart start, bool reached)
{
    if (reached) {
        // The connection is back by itself for a periodic check (a start at login before the
        // network was up, say); a requested one always clears the mark.
        if (start == PassStart::Requested || m_state.Offline)
            Online();
        return;
    }
    if (start == PassStart::Requested) {
        m_parts.Platform.Dialogs.showMessage(OfflineMessage());
        return;
    }
    // Offline, the probe tries again quietly at the pace of the checks; the user hears of an
    // outage once.
    m_state.LastPassEnd = Stamp();
    if (m_state.Offline)
        return;
    // Set before the message, so that the ticks running under it do not ask again.
    m_state.Offline = true;
    m_parts.Platform.Dialogs.showMessage(OfflineMessage());
    m_host.SetTrayHint(store::ProductName() + QLatin1Char('\r') + OfflineHint());
}

void Monitor::Online()
{
    m_state.Offline = false;
    QString hint = m_host.TrayHint();
    hint.remove(QLatin1Char('\r') + OfflineHint());
    hint.remove(OfflineHint());
    m_host.SetTrayHint(hint);
}

void Monitor::PeriodicCheck()
{
    const store::WatchListModel& w = m_parts.Model;
    if (m_state.StartingUp || m_state.ResumeTime != 0 || w.KakakuCheckRequest || w.Rearranging ||
        !RetrievalIdle() || w.KakakuCheckButtonCaption != store::KakakuCheckStopCaption() ||
        w.KomokuCount <= 0 || m_state.LastPassEnd == 0)
        return;
    if (Distance(m_parts.Platform.Clock.tickCount(), m_state.LastPassEnd) < PeriodicIntervalMs)
        return;
    RunPriceCheckPass(PassStart::Periodic);
}

void Monitor::Retry()
{
    // A pass or a registration still works on the fetch queue; the retry waits for it.
    if (m_state.RetryCount <= 0 || !RetrievalIdle())
        return;
    if (m_state.RetryCount > RetryLimit) {
        m_state.RetryCount = 0;
        return;
    }
    // The wait before a retry runs on the clock, not on the window: the failed pass set
    // LastPassEnd when it ended.
    if (Distance(m_parts.Platform.Clock.tickCount(), m_state.LastPassEnd) < RetryWaitMs)
        return;
    RunPriceCheckPass(PassStart::Retry);
}

void Monitor::HandOverRegistration()
{
    if (!m_priceCheck || !RetrievalIdle() || !m_registration)
        return;
    if (const auto entry = m_priceCheck->TakePendingRegistration())
        m_registration->RegisterFromCell(entry->Komoku, store::ColURL, entry->Row, entry->URL);
}

void Monitor::RunPriceCheckPass(PassStart start)
{
    if (m_priceCheck) {
        m_priceCheck->RunPriceCheckPass(start);
        return;
    }
    // Without page retrieval no slot can be due.
    PassSkipped();
}

void Monitor::StopRetrieval()
{
    if (m_priceCheck)
        m_priceCheck->Stop();
}

void Monitor::EndKakakuCheck()
{
    m_state.LastPassEnd = Stamp();
    if (m_host.WatchListView()) {
        m_host.WatchListView()->layoutMessageLabel();
        m_host.WatchListView()->render();
    }
    Start();
}

void Monitor::PassSkipped()
{
    m_state.LastPassEnd = Stamp();
    m_state.RetryCount = 0;
}

void Monitor::PassFailed()
{
    EndKakakuCheck();
    ++m_state.RetryCount;
}

void Monitor::CheckSoon()
{
    if (m_state.LastPassEnd != 0)
        m_state.LastPassEnd = std::max<std::uint32_t>(m_state.LastPassEnd - PeriodicIntervalMs, 1);
    Replan();
}

void Monitor::RebuildSchedule()
{
    RebuildContext context{
        m_parts.Schedule,          m_alarms,           &m_parts.Model,
        m_host.DataDir(),          m_state.StartingUp, store::ToDayCount(m_parts.Platform.Clock.now()),
        m_parts.Platform.EventLoop};
    shell::RebuildSchedule(context);
    // At start-up the rebuild ends by asking the tick to show the watch-list window.
    if (m_state.StartingUp)
        m_state.ShowRequest = true;
}

void Monitor::PowerEvent(int code)
{
    switch (code) {
    case platform::PowerNotices::QuerySuspend:
    case platform::PowerNotices::QueryStandby:
    case platform::PowerNotices::Suspend:
    case platform::PowerNotices::Standby:
        // The connection will not survive the sleep: what runs ends now, its transfer with it.
        StopRetrieval();
        Stop();
        break;
    case platform::PowerNotices::ResumeSuspend:
    case platform::PowerNotices::ResumeStandby:
    case platform::PowerNotices::ResumeAutomatic:
        m_state.ResumeTime = Stamp();
        m_missedCheck = true;
        Start();
        break;
    default:
        break;
    }
}

} // namespace shell
