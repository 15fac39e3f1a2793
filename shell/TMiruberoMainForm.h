#pragma once

#include "platform/WindowView.h"
#include "shell/Monitor.h"
#include "shell/PassResident.h"
#include "shell/RetrievalCalls.h"
#include "shell/Schedule.h"
#include "shell/ShellPlatform.h"
#include "shell/SpeechEngine.h"
#include "shell/TrayNotices.h"
#include "store/WatchListModel.h"

#include <QObject>
#include <cstdint>
#include <functional>

namespace shell {

// The resident side of the program: owns the tray icon and its menu, the monitor, the
// speech engine, the program and data folders. It is never shown.
class TMiruberoMainForm final : public QObject, public PassResident, private MonitorHost {
    Q_OBJECT

public:
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

    // Sets up the tray, the folders and the speech engine. False when the program
    // must end (the speech engine is missing or the settings cannot be read; the
    // user has been told).
    bool FormCreate();

    // The watch-list window, which is created after this object.
    void AttachWatchList(platform::WindowView* view) { m_watchListView = view; }
    // The page retrieval that runs price checks, and the registration of addresses.
    void AttachPriceCheck(PriceCheckRunner* runner) { m_monitor.AttachPriceCheck(runner); }
    void AttachRegistration(CellRegistration* registration) { m_monitor.AttachRegistration(registration); }
    // Where the About window's address label can be read; the probe opens that address.
    void SetProbeAddress(std::function<QString()> address) { m_probeAddress = std::move(address); }

    // Opens an item page in the default browser; an empty address opens nothing.
    void OpenAuction(const QString& url) override;

    void TrayIcon1MouseUp(platform::MouseButton button);
    void S1Click();
    void E1Click();
    // The watch-list window was closed by the user: the tray commands become usable.
    void WatchListClosed();
    // Shows the watch-list window and brings it to the front, tray menu unchanged.
    void ShowWatchList() override;

    shell::Monitor& Monitor() { return m_monitor; }
    const shell::Monitor& Monitor() const { return m_monitor; }
    // The monitor's entry points that the window, the power notices and the start reach.
    void MainTimerTimer() { m_monitor.MainTimerTimer(); }
    void StopMonitor() { m_monitor.Stop(); }
    void StartMonitor() { m_monitor.Start(); }
    bool MonitorRunning() const { return m_monitor.Running(); }
    void RebuildSchedule() { m_monitor.RebuildSchedule(); }
    void RequestRebuild() { m_monitor.RequestRebuild(); }
    void PowerEvent(int code) { m_monitor.PowerEvent(code); }

    // How a price-check pass reports to the monitor (PassResident).
    void ProbeAnswered(PassStart start, bool reached) override { m_monitor.ProbeAnswered(start, reached); }
    void EndKakakuCheck() override { m_monitor.EndKakakuCheck(); }
    void PageChecked() override { m_monitor.PageChecked(); }
    void PassSkipped() override { m_monitor.PassSkipped(); }
    void PassFailed() override { m_monitor.PassFailed(); }
    void PassStopped() override { m_monitor.PassStopped(); }
    void CheckSoon() override { m_monitor.CheckSoon(); }
    QString ProbeAddress() const override { return m_probeAddress(); }

    SpeechEngine& Speech() { return m_speech; }
    shell::Schedule& Schedule() override { return m_schedule; }
    const shell::Schedule& Schedule() const { return m_schedule; }
    PriceNotice& Notice() override { return m_notice; }
    bool StartingUp() const override { return m_monitor.State().StartingUp; }
    const QString& ExeDir() const { return m_exeDir; }
    QString DataDir() const override { return m_dataDir; }

    QString TrayHint() const override { return m_trayHint; }
    void SetTrayHint(const QString& hint) override;
    // A balloon with a title of its own, such as the end-of-auction notice.
    void ShowBalloon(const QString& title, const QString& text) override;

private:
    void SetMenuEnabled(bool enabled);
    platform::WindowView* WatchListView() const override { return m_watchListView; }

    ShellPlatform m_platform;
    store::WatchListModel& m_model;
    SpeechEngine m_speech;
    platform::WindowView* m_watchListView = nullptr;
    std::function<QString()> m_probeAddress;

    QString m_exeDir;
    QString m_dataDir;
    shell::Schedule m_schedule;
    PriceNotice m_notice;
    QString m_trayHint;
    // Last: it works with the members above.
    shell::Monitor m_monitor;
};

} // namespace shell
