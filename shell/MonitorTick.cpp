// The monitor tick and the operations that belong to it: end-of-pass
// bookkeeping, power notices and the connectivity probe.

#include "shell/MiruberoMainForm.h"

#include "store/DayCount.h"
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
    return std::max<std::uint32_t>(m_platform.clock.tickCount(), 1);
}

QString TMiruberoMainForm::TabCaption(int komoku) const
{
    const auto& komokus = m_watchList->Komokus;
    return komoku < static_cast<int>(komokus.size()) ? komokus[static_cast<size_t>(komoku)].TabCaption()
                                                     : store::Komoku().TabCaption();
}

QString TMiruberoMainForm::KakakuText(int komoku, int slot) const
{
    const auto& komokus = m_watchList->Komokus;
    if (komoku >= static_cast<int>(komokus.size()))
        return {};
    return komokus[static_cast<size_t>(komoku)].Slots[static_cast<size_t>(slot)].KakakuText;
}

void TMiruberoMainForm::MainTimerTimer()
{
    if (m_watchList->KakakuChecking)
        return;
    if (StartingUp) {
        StartUpStage();
        if (StartupBusy)
            return;
    }
    if (RebuildRequest) {
        RebuildSchedule();
        RebuildRequest = false;
    }
    const int komokuCount = m_watchList->KomokuCount;
    if (komokuCount > 0) {
        AlarmScan(komokuCount);
        if (m_overCount > 0)
            BudgetWarning(komokuCount);
        if (m_alarmCount > 0)
            Alarm(komokuCount);
    }
    Rearm(komokuCount);
    RequestedCheck();
    if (ResumeTime != 0 && Distance(m_platform.clock.tickCount(), ResumeTime) >= ResumeHoldOffMs)
        ResumeTime = 0;
    PeriodicCheck();
    Retry();
    HandOverRegistration();
}

void TMiruberoMainForm::StartUpStage()
{
    if (!ShowRequest && !StartupBusy) {
        StartupBusy = true;
        RebuildSchedule();
    }
    if (ShowRequest) {
        // The ticks that run while the start-up's offline message is open must not raise the
        // window over that message again and again.
        if (!m_watchListView || !m_watchListView->isWindowVisible())
            ShowWatchList();
        m_platform.eventLoop.processEvents();
        StartupBusy = false;
    }
}

void TMiruberoMainForm::AlarmScan(int komokuCount)
{
    // The schedule may hold fewer categories than the window counts; only what it holds is read.
    const int scanned = std::min({komokuCount, Schedule.KomokuCount(), static_cast<int>(AlarmLatch.size()),
                                  static_cast<int>(AlarmLatchTime.size())});
    m_inWindow.assign(static_cast<size_t>(scanned), {});
    m_overBudget.assign(static_cast<size_t>(scanned), {});
    m_alarmCount = 0;
    m_overCount = 0;
    const double now = store::ToDayCount(m_platform.clock.now());
    const bool noHyoji = Schedule.Settings.NoHyoji;
    for (int k = 0; k < scanned; ++k) {
        for (int s = 0; s < store::SlotsPerKomoku; ++s) {
            const ScheduleSlot& slot = Schedule.At(k, s);
            if (slot.AlarmAt <= 0 || slot.Ended)
                continue;
            // Compared in whole milliseconds, so that both ends of the window hold exactly.
            const double late = std::round((now - slot.AlarmAt) * MillisecondsPerDay);
            if (late < 0 || late > AlarmWindowSeconds * 1000.0)
                continue;
            // An over-budget slot is left out of the alarm, and only a positive budget is warned about.
            if (noHyoji && slot.Budget > 0 && slot.OverBudget) {
                m_overBudget[static_cast<size_t>(k)].push_back(s);
                ++m_overCount;
            }
            if (!noHyoji || !slot.OverBudget) {
                m_inWindow[static_cast<size_t>(k)].push_back(s);
                ++m_alarmCount;
            }
        }
    }
}

void TMiruberoMainForm::BudgetWarning(int komokuCount)
{
    const int visited = std::min<int>(komokuCount, static_cast<int>(m_overBudget.size()));
    for (int k = 0; k < visited; ++k) {
        if (AlarmLatch[static_cast<size_t>(k)])
            continue;
        AlarmLatchTime[static_cast<size_t>(k)] = Stamp();
        const auto& over = m_overBudget[static_cast<size_t>(k)];
        if (over.empty()) {
            if (WarnShown)
                return;
            continue;
        }
        if (WarnShown)
            return;
        WarnShown = true;
        m_mainTimer.stop();
        const QString text = TabCaption(k) + QStringLiteral(" - No") + QString::number(over.front() + 1) +
                             (m_overCount == 1 ? QStringLiteral("の現在の価格は予算額を超えています。")
                                               : QStringLiteral("他の現在の価格は予算額を超えています。"));
        m_platform.dialogs.showMessage(text);
        m_mainTimer.start();
        return;
    }
}

void TMiruberoMainForm::Alarm(int komokuCount)
{
    const int visited = std::min<int>(komokuCount, static_cast<int>(m_inWindow.size()));
    for (int k = 0; k < visited; ++k) {
        if (AlarmLatch[static_cast<size_t>(k)])
            continue;
        AlarmLatchTime[static_cast<size_t>(k)] = Stamp();
        const auto& due = m_inWindow[static_cast<size_t>(k)];
        if (due.empty()) {
            if (AlarmShown)
                return;
            continue;
        }
        if (AlarmShown)
            return;
        AlarmShown = true;
        // The sentence plays on while the question is open.
        if (Schedule.Settings.Speak)
            m_speech.Play(Schedule.Settings.SpeakText);
        m_mainTimer.stop();
        const int s = due.front();
        QString text = TabCaption(k) + QStringLiteral(" - No") + QString::number(s + 1);
        if (m_alarmCount == 1)
            text += QStringLiteral("のオークション\r\n現在価格:") + KakakuText(k, s) + QStringLiteral("\r\n");
        else
            text += QStringLiteral("他のオークション\r\n");
        text += QStringLiteral("終了直前です。表示しますか？");
        const bool yes =
            m_platform.dialogs.askYesNo(text, ProductName(), platform::MessageIcon::Question, true);
        if (yes && !Schedule.Settings.All) {
            for (size_t j = 0; j < m_inWindow.size(); ++j)
                for (const int t : m_inWindow[j])
                    OpenAuction(Schedule.At(static_cast<int>(j), t).URL);
        } else if (yes) {
            AlarmLatch[static_cast<size_t>(k)] = true;
            // One alarm opens every running auction of the categories concerned.
            for (size_t j = 0; j < m_inWindow.size(); ++j) {
                if (m_inWindow[j].empty())
                    continue;
                for (int t = 0; t < store::SlotsPerKomoku; ++t) {
                    const ScheduleSlot& slot = Schedule.At(static_cast<int>(j), t);
                    if (!slot.Ended && !(Schedule.Settings.NoHyoji && slot.OverBudget))
                        OpenAuction(slot.URL);
                }
            }
        }
        m_mainTimer.start();
        return;
    }
}

void TMiruberoMainForm::Rearm(int komokuCount)
{
    const int count = std::min<int>(komokuCount, static_cast<int>(AlarmLatchTime.size()));
    const std::uint32_t clock = m_platform.clock.tickCount();
    for (int k = 0; k < count; ++k) {
        std::uint32_t& latchTime = AlarmLatchTime[static_cast<size_t>(k)];
        // The elapsed time as an unsigned difference holds across the clock's wrap.
        if (latchTime != 0 && clock - latchTime >= RearmDelayMs) {
            AlarmLatch[static_cast<size_t>(k)] = false;
            latchTime = 0;
            AlarmShown = false;
            WarnShown = false;
        }
    }
}

void TMiruberoMainForm::RequestedCheck()
{
    store::WatchListModel& w = *m_watchList;
    if (!w.KakakuCheckRequest)
        return;
    w.KakakuCheckRequest = false;
    if (!w.KakakuChecking && !w.Fetching && !w.Rearranging && w.KomokuCount > 0 && ResumeTime == 0) {
        if (InternetProbe()) {
            Offline = false;
            QString hint = m_trayHint;
            hint.remove(QLatin1Char('\r') + OfflineHint());
            hint.remove(OfflineHint());
            SetTrayHint(hint);
            RunPriceCheckPass();
        } else {
            m_platform.dialogs.showMessage(OfflineMessage());
        }
    }
    if (StartingUp)
        StartingUp = false;
}

void TMiruberoMainForm::PeriodicCheck()
{
    const store::WatchListModel& w = *m_watchList;
    if (StartingUp || ResumeTime != 0 || Offline || w.KakakuCheckRequest || w.Rearranging ||
        w.KakakuChecking || w.Fetching || w.KakakuCheckButtonCaption != store::KakakuCheckStopCaption() ||
        w.KomokuCount <= 0 || LastPassEnd == 0)
        return;
    if (Distance(m_platform.clock.tickCount(), LastPassEnd) < PeriodicIntervalMs)
        return;
    if (InternetProbe()) {
        RunPriceCheckPass();
        return;
    }
    // Set before the message, so that the ticks running under it do not ask again.
    Offline = true;
    m_platform.dialogs.showMessage(OfflineMessage());
    SetTrayHint(ProductName() + QLatin1Char('\r') + OfflineHint());
}

void TMiruberoMainForm::Retry()
{
    if (RetryCount <= 0)
        return;
    if (RetryCount > RetryLimit) {
        RetryCount = 0;
        return;
    }
    m_platform.clock.sleep(RetryWaitMs);
    RunPriceCheckPass();
}

void TMiruberoMainForm::HandOverRegistration()
{
    store::WatchListModel& w = *m_watchList;
    if (w.KakakuChecking || !w.PendingRegister)
        return;
    w.PendingRegister = false;
    if (m_registration)
        m_registration->RegisterFromCell(w.PendingKomoku, store::ColURL, w.PendingRow, w.PendingURL);
}

void TMiruberoMainForm::RunPriceCheckPass()
{
    if (m_priceCheck) {
        m_priceCheck->RunPriceCheckPass();
        return;
    }
    // Without page retrieval no slot can be due: the pass only notes its end.
    LastPassEnd = Stamp();
}

bool TMiruberoMainForm::InternetProbe()
{
    return m_platform.probe.reach(m_probeAddress());
}

void TMiruberoMainForm::EndKakakuCheck()
{
    store::WatchListModel& w = *m_watchList;
    w.Fetching = false;
    w.FetchQueue.clear();
    if (w.ActivePage == 0) {
        w.LabelMsgVisible = false;
    } else {
        w.LabelMsgText = store::RegistrationGuidance();
        if (m_watchListView)
            m_watchListView->layoutMessageLabel();
    }
    w.MenuSaveEnabled = true;
    if (w.ActivePage > 0) {
        w.MenuSortEndEnabled = true;
        w.MenuCheapEnabled = true;
        const bool inRange = w.SelKomoku >= 0 && w.SelKomoku < static_cast<int>(w.Komokus.size()) &&
                             w.SelRow >= 1 && w.SelRow <= store::SlotsPerKomoku;
        if (w.SelCol == store::ColTitle && inRange && w.SlotAt(w.SelKomoku, w.SelRow).InUse()) {
            w.MenuDeleteEnabled = true;
            w.MenuHonmeiEnabled = true;
        }
    }
    w.BtnOKEnabled = true;
    w.KakakuChecking = false;
    LastPassEnd = Stamp();
    if (m_watchListView)
        m_watchListView->render();
    m_mainTimer.start();
}

void TMiruberoMainForm::PowerEvent(int code)
{
    switch (code) {
    case 0: // query suspend
    case 1: // query standby
    case 4: // suspend
    case 5: // standby
        if (m_watchList->KakakuChecking)
            EndKakakuCheck();
        m_mainTimer.stop();
        break;
    case 7:  // resume from suspend
    case 8:  // resume from standby
    case 18: // automatic resume
        ResumeTime = Stamp();
        m_mainTimer.start();
        break;
    default:
        break;
    }
}

} // namespace shell
