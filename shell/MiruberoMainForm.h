#pragma once

#include "platform/WindowView.h"
#include "shell/PassResident.h"
#include "shell/RetrievalCalls.h"
#include "shell/Schedule.h"
#include "shell/ShellPlatform.h"
#include "shell/SpeechEngine.h"
#include "shell/TrayNotices.h"
#include "store/WatchListModel.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
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

// The resident side of the program: owns the tray icon and its menu, the monitor
// timer, the speech engine, the program and data folders and the flags through
// which the watch-list window and the monitor coordinate. It is never shown.
class TMiruberoMainForm final : public QObject, public PassResident {
    Q_OBJECT

public:
    static constexpr int MainTimerInterval = 100;
    static constexpr int AlarmWindowSeconds = 15;
    static constexpr std::uint32_t RearmDelayMs = 30000;
    static constexpr std::int32_t PeriodicIntervalMs = 40000;
    static constexpr std::int32_t ResumeHoldOffMs = 60000;
    static constexpr int RetryWaitMs = 1000;
    static constexpr int RetryLimit = 5;

    // model is the watch-list window's model, which the window shows later.
    TMiruberoMainForm(ShellPlatform platform, store::WatchListModel& model, QObject* parent = nullptr);
    ~TMiruberoMainForm() override;

    static QString AlreadyRunningMessage();
    static QString NoSpeechDataMessage();
    static QString UnreadableTotalMessage(const QString& path);
    static QString UnreadableFileMessage(const QString& path);
    // The names of the stored files besides "Total.ini", whether there or not.
    static QStringList StoredNames();
    static QString OpenAuctionFailedMessage();
    static QString OfflineMessage();
    static QString OfflineHint();

    // Sets up the tray, the folders and the speech engine. False when the program
    // must end (the speech engine is missing or the settings cannot be read; the
    // user has been told).
    bool FormCreate();

    // The watch-list window, which is created after this object.
    void AttachWatchList(platform::WindowView* view) { m_watchListView = view; }
    // The page retrieval that runs price checks, and the registration of addresses.
    void AttachPriceCheck(PriceCheckRunner* runner) { m_priceCheck = runner; }
    void AttachRegistration(CellRegistration* registration) { m_registration = registration; }
    // Where the About window's address label can be read; the probe opens that address.
    void SetProbeAddress(std::function<QString()> address) { m_probeAddress = std::move(address); }

    // Opens an item page in the default browser; an empty address opens nothing.
    void OpenAuction(const QString& url);

    void TrayIcon1MouseUp(platform::MouseButton button);
    void S1Click();
    void E1Click();
    // The watch-list window was closed by the user: the tray commands become usable.
    void WatchListClosed();
    // Shows the watch-list window and brings it to the front, tray menu unchanged.
    void ShowWatchList();

    // The monitor tick, every 100 ms while MainTimer runs.
    void MainTimerTimer();
    void StopMonitor() { m_mainTimer.stop(); }
    void StartMonitor() { m_mainTimer.start(); }
    bool MonitorRunning() const { return m_mainTimer.isActive(); }
    // Reads the stored files into the schedule (pruning old auctions at start-up).
    void RebuildSchedule();
    // Asks the next tick to rebuild the schedule.
    void RequestRebuild() { m_state.RebuildRequest = true; }
    // A power-broadcast event code (platform::PowerNotices).
    void PowerEvent(int code);
    // The clock as a time stamp whose 0 keeps meaning "none".
    std::uint32_t Stamp() const;
    // Stops what the page retrieval runs, before the program ends.
    void StopRetrieval();

    // How a price-check pass reports to the monitor (PassResident).
    void ProbeAnswered(PassStart start, bool reached) override;
    void EndKakakuCheck() override;
    void PageChecked() override { m_state.RetryCount = 0; }
    void PassSkipped() override;
    void PassFailed() override;
    void PassStopped() override { m_state.RetryCount = 0; }
    void CheckSoon() override;
    QString ProbeAddress() const override { return m_probeAddress(); }

    SpeechEngine& Speech() { return m_speech; }
    shell::Schedule& Schedule() override { return m_schedule; }
    const shell::Schedule& Schedule() const { return m_schedule; }
    PriceNotice& Notice() override { return m_notice; }
    const MonitorState& State() const { return m_state; }
    bool StartingUp() const override { return m_state.StartingUp; }
    const QString& ExeDir() const { return m_exeDir; }
    QString DataDir() const override { return m_dataDir; }

    QString TrayHint() const { return m_trayHint; }
    void SetTrayHint(const QString& hint) override;
    // A balloon with a title of its own, such as the end-of-auction notice.
    void ShowBalloon(const QString& title, const QString& text) override;

private:
    // The tests set up the monitor's state directly.
    friend struct testsupport::ResidentAccess;

    void SetMenuEnabled(bool enabled);
    KomokuAlarm& AlarmOf(int komoku) { return m_alarms[static_cast<size_t>(komoku)]; }

    // Steps of the tick.
    void StartUpStage();
    void AlarmScan(int komokuCount);
    void BudgetWarning(int komokuCount);
    void Alarm(int komokuCount);
    void Rearm(int komokuCount);
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

    ShellPlatform m_platform;
    store::WatchListModel& m_model;
    SpeechEngine m_speech;
    QTimer m_mainTimer;
    platform::WindowView* m_watchListView = nullptr;
    PriceCheckRunner* m_priceCheck = nullptr;
    CellRegistration* m_registration = nullptr;
    std::function<QString()> m_probeAddress;

    QString m_exeDir;
    QString m_dataDir;
    shell::Schedule m_schedule;
    MonitorState m_state;
    PriceNotice m_notice;
    // One per category of the schedule.
    std::vector<KomokuAlarm> m_alarms;
    int m_alarmCount = 0;
    int m_overCount = 0;
    QString m_trayHint;
};

} // namespace shell
