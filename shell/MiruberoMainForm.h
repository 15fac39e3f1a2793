#pragma once

#include "platform/WindowView.h"
#include "shell/Schedule.h"
#include "shell/ShellPlatform.h"
#include "shell/SpeechEngine.h"
#include "store/WatchListModel.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
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

    // Opens an item page in the default browser; an empty address opens nothing.
    void OpenAuction(const QString& url);

    void TrayIcon1MouseUp(platform::MouseButton button);
    void S1Click();
    void E1Click();
    // The watch-list window was closed by the user: the tray commands become usable.
    void WatchListClosed();
    // Shows the watch-list window and brings it to the front, tray menu unchanged.
    void ShowWatchList();

    void MainTimerTimer();
    // Reads the stored files into the schedule (pruning old auctions at start-up).
    void RebuildSchedule();
    QTimer& MainTimer() { return m_mainTimer; }

    SpeechEngine& Speech() { return m_speech; }

    bool MenuShowEnabled() const { return m_menuShowEnabled; }
    bool MenuExitEnabled() const { return m_menuExitEnabled; }
    QString TrayHint() const { return m_trayHint; }
    void SetTrayHint(const QString& hint);
    void ShowBalloon();

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

    ShellPlatform m_platform;
    SpeechEngine m_speech;
    QTimer m_mainTimer;
    platform::WindowView* m_watchListView = nullptr;
    store::WatchListModel* m_watchList = nullptr;
    QString m_trayHint;
    bool m_menuShowEnabled = false;
    bool m_menuExitEnabled = false;
};

} // namespace shell
