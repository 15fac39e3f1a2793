#pragma once

#include "platform/WindowView.h"
#include "shell/RetrievalCalls.h"
#include "shell/Schedule.h"
#include "shell/ShellPlatform.h"
#include "shell/SpeechEngine.h"
#include "store/WatchListModel.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

namespace shell {

// The resident side of the program: owns the tray icon and its menu, the monitor
// timer, the speech engine, the program and data folders and the flags through
// which the watch-list window and the monitor coordinate. It is never shown.
class TMiruberoMainForm final : public QObject {
    Q_OBJECT

public:
    static constexpr int MainTimerInterval = 100;

    explicit TMiruberoMainForm(ShellPlatform platform, QObject* parent = nullptr);
    ~TMiruberoMainForm() override;

    static QString ProductName();
    static QString BalloonTitle();
    static QString AlreadyRunningMessage();
    static QString NoSpeechDataMessage();
    static QString OpenAuctionFailedMessage();

    // Sets up the tray, the folders and the speech engine. False when the program
    // must end (the speech engine is missing; the user has been told).
    bool FormCreate();

    // The watch-list window and its model, which the window creates after this object.
    void AttachWatchList(platform::WindowView* view, store::WatchListModel* model);
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
    // Reads the stored files into the schedule (pruning old auctions at start-up).
    void RebuildSchedule();
    // End-of-pass bookkeeping of the watch-list window and the monitor.
    void EndKakakuCheck();
    // A power-broadcast event code: 0, 1, 4, 5 before a suspend or standby; 7, 8, 18 after a resume.
    void PowerEvent(int code);
    bool InternetProbe();
    // The clock as a time stamp whose 0 keeps meaning "none".
    std::uint32_t Stamp() const;

    static constexpr int AlarmWindowSeconds = 15;
    static constexpr std::uint32_t RearmDelayMs = 30000;
    static constexpr std::int32_t PeriodicIntervalMs = 40000;
    static constexpr std::int32_t ResumeHoldOffMs = 60000;
    static constexpr int RetryWaitMs = 1000;
    static constexpr int RetryLimit = 5;
    static QString OfflineMessage();
    static QString OfflineHint();
    QTimer& MainTimer() { return m_mainTimer; }

    SpeechEngine& Speech() { return m_speech; }

    bool MenuShowEnabled() const { return m_menuShowEnabled; }
    bool MenuExitEnabled() const { return m_menuExitEnabled; }
    QString TrayHint() const { return m_trayHint; }
    void SetTrayHint(const QString& hint);
    void ShowBalloon();
    // A balloon with a title of its own, such as the end-of-auction notice.
    void ShowBalloon(const QString& title, const QString& text);

    QString ExeDir;
    QString DataDir;
    QString BalloonText;

    shell::Schedule Schedule;

    bool RebuildRequest = false;
    bool KakakuChanged = false;
    bool StartingUp = true;

    // Monitor state.
    bool ShowRequest = false;
    bool StartupBusy = false;
    bool Offline = false;
    std::uint32_t ResumeTime = 0;
    std::uint32_t LastPassEnd = 0;
    int RetryCount = 0;
    std::vector<bool> AlarmLatch;
    std::vector<std::uint32_t> AlarmLatchTime;
    bool AlarmShown = false;
    bool WarnShown = false;

private:
    void SetMenuEnabled(bool enabled);

    // Steps of the tick.
    void StartUpStage();
    void AlarmScan(int komokuCount);
    void BudgetWarning(int komokuCount);
    void Alarm(int komokuCount);
    void Rearm(int komokuCount);
    void RequestedCheck();
    void PeriodicCheck();
    void Retry();
    void HandOverRegistration();

    void RunPriceCheckPass();
    QString TabCaption(int komoku) const;
    QString KakakuText(int komoku, int slot) const;

    ShellPlatform m_platform;
    SpeechEngine m_speech;
    QTimer m_mainTimer;
    platform::WindowView* m_watchListView = nullptr;
    // The window's model; a private one until the window is attached.
    store::WatchListModel m_ownModel;
    store::WatchListModel* m_watchList = &m_ownModel;
    PriceCheckRunner* m_priceCheck = nullptr;
    CellRegistration* m_registration = nullptr;
    std::function<QString()> m_probeAddress;

    // Per tick: the slots of each category inside their alarm window, and the over-budget ones.
    std::vector<std::vector<int>> m_inWindow;
    std::vector<std::vector<int>> m_overBudget;
    int m_alarmCount = 0;
    int m_overCount = 0;
    QString m_trayHint;
    bool m_menuShowEnabled = false;
    bool m_menuExitEnabled = false;
};

} // namespace shell
