// The monitor tick and the operations that belong to it: end-of-pass
// bookkeeping, power notices and the connectivity probe.

#include "shell/MiruberoMainForm.h"

#include "platform/PowerNotices.h"
#include "store/DayCount.h"
#include "store/TextRules.h"
#include "store/WatchListModel.h"

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

QString TMiruberoMainForm::OfflineMessage()
{
    return QStringLiteral("インターネットにつながっていません。");
}

QString TMiruberoMainForm::OfflineHint()
{
    return QStringLiteral("インターネット未接続");
}

std::uint32_t TMiruberoMainForm::Stamp() const
{
    // 0 means "none" in the time stamps; the clock reads 0 once every 49 days.
    return std::max<std::uint32_t>(m_platform.Clock.tickCount(), 1);
}

QString TMiruberoMainForm::TabCaption(int komoku) const
{
    const auto& komokus = m_model.Komokus;
    return komoku < static_cast<int>(komokus.size()) ? komokus[static_cast<size_t>(komoku)].TabCaption()
                                                     : store::Komoku().TabCaption();
}

QString TMiruberoMainForm::KakakuText(int komoku, int slot) const
{
    const auto& komokus = m_model.Komokus;
    if (komoku >= static_cast<int>(komokus.size()))
        return {};
    return komokus[static_cast<size_t>(komoku)].Slots[static_cast<size_t>(slot)].KakakuText;
}

bool TMiruberoMainForm::RetrievalIdle() const
{
    return !m_priceCheck || m_priceCheck->Mode() == RunMode::Idle;
}

void TMiruberoMainForm::MainTimerTimer()
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
    const int komokuCount = m_model.KomokuCount;
    if (komokuCount > 0) {
        AlarmScan(komokuCount);
        if (m_overCount > 0)
            BudgetWarning(komokuCount);
        if (m_alarmCount > 0)
            Alarm(komokuCount);
    }
    Rearm(komokuCount);
    RequestedCheck();
    if (m_state.ResumeTime != 0 &&
        Distance(m_platform.Clock.tickCount(), m_state.ResumeTime) >= ResumeHoldOffMs)
        m_state.ResumeTime = 0;
    PeriodicCheck();
    Retry();
    HandOverRegistration();
}

void TMiruberoMainForm::StartUpStage()
{
    if (!m_state.ShowRequest && !m_state.StartupBusy) {
        m_state.StartupBusy = true;
        RebuildSchedule();
    }
    if (m_state.ShowRequest) {
        // The ticks that run while the start-up's offline message is open must not raise the
        // window over that message again and again.
        if (!m_watchListView || !m_watchListView->isWindowVisible())
            ShowWatchList();
        m_platform.EventLoop.processEvents();
        m_state.StartupBusy = false;
    }
}

void TMiruberoMainForm::AlarmScan(int komokuCount)
{
    // The schedule may hold fewer categories than the window counts; only what it holds is read.
    const int scanned = std::min({komokuCount, m_schedule.KomokuCount(), static_cast<int>(m_alarms.size())});
    for (KomokuAlarm& alarm : m_alarms) {
        alarm.InWindow.clear();
        alarm.OverBudget.clear();
    }
    m_alarmCount = 0;
    m_overCount = 0;
    const double now = store::ToDayCount(m_platform.Clock.now());
    const bool noHyoji = m_schedule.Settings.NoHyoji;
    for (int k = 0; k < scanned; ++k) {
        for (int s = 0; s < store::SlotsPerKomoku; ++s) {
            const ScheduleSlot& slot = m_schedule.At(k, s);
            if (slot.AlarmAt <= 0 || slot.Ended)
                continue;
            // Compared in whole milliseconds, so that both ends of the window hold exactly.
            const double late = std::round((now - slot.AlarmAt) * MillisecondsPerDay);
            if (late < 0 || late > AlarmWindowSeconds * 1000.0)
                continue;
            // An over-budget slot is left out of the alarm, and only a positive budget is warned about.
            if (noHyoji && slot.Budget > 0 && slot.OverBudget) {
                AlarmOf(k).OverBudget.push_back(s);
                ++m_overCount;
            }
            if (!noHyoji || !slot.OverBudget) {
                AlarmOf(k).InWindow.push_back(s);
                ++m_alarmCount;
            }
        }
    }
}

void TMiruberoMainForm::BudgetWarning(int komokuCount)
{
    const int visited = std::min<int>(komokuCount, static_cast<int>(m_alarms.size()));
    for (int k = 0; k < visited; ++k) {
        if (AlarmOf(k).Latch)
            continue;
        AlarmOf(k).LatchTime = Stamp();
        const auto& over = AlarmOf(k).OverBudget;
        if (over.empty()) {
            if (m_state.WarnShown)
                return;
            continue;
        }
        if (m_state.WarnShown)
            return;
        m_state.WarnShown = true;
        m_mainTimer.stop();
        const QString text = TabCaption(k) + QStringLiteral(" - No") + QString::number(over.front() + 1) +
                             (m_overCount == 1 ? QStringLiteral("の現在の価格は予算額を超えています。")
                                               : QStringLiteral("他の現在の価格は予算額を超えています。"));
        m_platform.Dialogs.showMessage(text);
        m_mainTimer.start();
        return;
    }
}

void TMiruberoMainForm::Alarm(int komokuCount)
{
    const int visited = std::min<int>(komokuCount, static_cast<int>(m_alarms.size()));
    for (int k = 0; k < visited; ++k) {
        if (AlarmOf(k).Latch)
            continue;
        AlarmOf(k).LatchTime = Stamp();
        const auto& due = AlarmOf(k).InWindow;
        if (due.empty()) {
            if (m_state.AlarmShown)
                return;
            continue;
        }
        if (m_state.AlarmShown)
            return;
        m_state.AlarmShown = true;
        // The sentence plays on while the question is open.
        if (m_schedule.Settings.Speak)
            m_speech.Play(m_schedule.Settings.SpeakText);
        m_mainTimer.stop();
        const int s = due.front();
        QString text = TabCaption(k) + QStringLiteral(" - No") + QString::number(s + 1);
        if (m_alarmCount == 1)
            text += QStringLiteral("のオークション\r\n現在価格:") + KakakuText(k, s) + QStringLiteral("\r\n");
        else
            text += QStringLiteral("他のオークション\r\n");
        text += QStringLiteral("終了直前です。表示しますか？");
        const bool yes =
            m_platform.Dialogs.askYesNo(text, store::ProductName(), platform::MessageIcon::Question, true);
        if (yes && !m_schedule.Settings.All) {
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
                    const ScheduleSlot& slot = m_schedule.At(static_cast<int>(j), t);
                    if (!slot.Ended && !(m_schedule.Settings.NoHyoji && slot.OverBudget))
                        OpenFromAlarm(static_cast<int>(j), t);
                }
            }
        }
        m_mainTimer.start();
        return;
    }
}

void TMiruberoMainForm::OpenFromAlarm(int komoku, int slot)
{
    // Only a web address goes to the browser; the slot's hint says why another opened nothing.
    if (const auto address = store::WebAddress(m_schedule.At(komoku, slot).URL.trimmed()))
        OpenAuction(*address);
}

void TMiruberoMainForm::Rearm(int komokuCount)
{
    const int count = std::min<int>(komokuCount, static_cast<int>(m_alarms.size()));
    const std::uint32_t clock = m_platform.Clock.tickCount();
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

void TMiruberoMainForm::RequestedCheck()
{
    store::WatchListModel& w = m_model;
    if (!w.KakakuCheckRequest)
        return;
    w.KakakuCheckRequest = false;
    // The pass probes first and tells ProbeAnswered what it found.
    if (RetrievalIdle() && !w.Rearranging && w.KomokuCount > 0 && m_state.ResumeTime == 0)
        RunPriceCheckPass(PassStart::Requested);
    if (m_state.StartingUp)
        m_state.StartingUp = false;
}

void TMiruberoMainForm::ProbeAnswered(PassStart start, bool reached)
{
    if (reached) {
        // The connection is back by itself for a periodic check (a start at login before the
        // network was up, say); a requested one always clears the mark.
        if (start == PassStart::Requested || m_state.Offline)
            Online();
        return;
    }
    if (start == PassStart::Requested) {
        m_platform.Dialogs.showMessage(OfflineMessage());
        return;
    }
    // Offline, the probe tries again quietly at the pace of the checks; the user hears of an
    // outage once.
    m_state.LastPassEnd = Stamp();
    if (m_state.Offline)
        return;
    // Set before the message, so that the ticks running under it do not ask again.
    m_state.Offline = true;
    m_platform.Dialogs.showMessage(OfflineMessage());
    SetTrayHint(store::ProductName() + QLatin1Char('\r') + OfflineHint());
}

void TMiruberoMainForm::Online()
{
    m_state.Offline = false;
    QString hint = m_trayHint;
    hint.remove(QLatin1Char('\r') + OfflineHint());
    hint.remove(OfflineHint());
    SetTrayHint(hint);
}

void TMiruberoMainForm::PeriodicCheck()
{
    const store::WatchListModel& w = m_model;
    if (m_state.StartingUp || m_state.ResumeTime != 0 || w.KakakuCheckRequest || w.Rearranging ||
        !RetrievalIdle() || w.KakakuCheckButtonCaption != store::KakakuCheckStopCaption() ||
        w.KomokuCount <= 0 || m_state.LastPassEnd == 0)
        return;
    if (Distance(m_platform.Clock.tickCount(), m_state.LastPassEnd) < PeriodicIntervalMs)
        return;
    RunPriceCheckPass(PassStart::Periodic);
}

void TMiruberoMainForm::Retry()
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
    if (Distance(m_platform.Clock.tickCount(), m_state.LastPassEnd) < RetryWaitMs)
        return;
    RunPriceCheckPass(PassStart::Retry);
}

void TMiruberoMainForm::HandOverRegistration()
{
    if (!m_priceCheck || !RetrievalIdle() || !m_registration)
        return;
    if (const auto entry = m_priceCheck->TakePendingRegistration())
        m_registration->RegisterFromCell(entry->Komoku, store::ColURL, entry->Row, entry->URL);
}

void TMiruberoMainForm::RunPriceCheckPass(PassStart start)
{
    if (m_priceCheck) {
        m_priceCheck->RunPriceCheckPass(start);
        return;
    }
    // Without page retrieval no slot can be due.
    PassSkipped();
}

void TMiruberoMainForm::StopRetrieval()
{
    if (m_priceCheck)
        m_priceCheck->Stop();
}

void TMiruberoMainForm::EndKakakuCheck()
{
    m_state.LastPassEnd = Stamp();
    if (m_watchListView) {
        m_watchListView->layoutMessageLabel();
        m_watchListView->render();
    }
    m_mainTimer.start();
}

void TMiruberoMainForm::PassSkipped()
{
    m_state.LastPassEnd = Stamp();
    m_state.RetryCount = 0;
}

void TMiruberoMainForm::PassFailed()
{
    EndKakakuCheck();
    ++m_state.RetryCount;
}

void TMiruberoMainForm::CheckSoon()
{
    if (m_state.LastPassEnd != 0)
        m_state.LastPassEnd = std::max<std::uint32_t>(m_state.LastPassEnd - PeriodicIntervalMs, 1);
}

void TMiruberoMainForm::PowerEvent(int code)
{
    switch (code) {
    case platform::PowerNotices::QuerySuspend:
    case platform::PowerNotices::QueryStandby:
    case platform::PowerNotices::Suspend:
    case platform::PowerNotices::Standby:
        // The connection will not survive the sleep: what runs ends now, its transfer with it.
        StopRetrieval();
        m_mainTimer.stop();
        break;
    case platform::PowerNotices::ResumeSuspend:
    case platform::PowerNotices::ResumeStandby:
    case platform::PowerNotices::ResumeAutomatic:
        m_state.ResumeTime = Stamp();
        m_mainTimer.start();
        break;
    default:
        break;
    }
}

} // namespace shell
