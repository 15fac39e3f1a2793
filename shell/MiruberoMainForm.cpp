#include "shell/MiruberoMainForm.h"

#include "shell/AuthorSite.h"
#include "shell/OpenWithShell.h"
#include "shell/ScheduleRebuild.h"
#include "store/DayCount.h"

#include <QDir>

namespace shell {

TMiruberoMainForm::TMiruberoMainForm(ShellPlatform platform, QObject* parent)
    : QObject(parent), m_platform(platform), m_speech(platform.speech), m_probeAddress(AuthorSiteUrl)
{
    m_mainTimer.setInterval(MainTimerInterval);
    connect(&m_mainTimer, &QTimer::timeout, this, &TMiruberoMainForm::MainTimerTimer);
    m_platform.tray.setMenuEnabled(false, false);
    m_platform.tray.setHandlers({
        [this](platform::MouseButton button) { TrayIcon1MouseUp(button); },
        [this] { S1Click(); },
        [this] { E1Click(); },
    });
}

TMiruberoMainForm::~TMiruberoMainForm()
{
    m_mainTimer.stop();
    m_speech.Release();
}

QString TMiruberoMainForm::ProductName()
{
    return QStringLiteral("ミルベロ");
}

QString TMiruberoMainForm::BalloonTitle()
{
    return QStringLiteral("オークション情報");
}

QString TMiruberoMainForm::AlreadyRunningMessage()
{
    return QStringLiteral("「ミルベロ」は既に起動しています。\r"
                          "タスクトレイのアイコンを右クリックすれば\r"
                          "メニューを表示できます。");
}

QString TMiruberoMainForm::NoSpeechDataMessage()
{
    return QStringLiteral("声のデータが存在しません。\r終了します。");
}

QString TMiruberoMainForm::OpenAuctionFailedMessage()
{
    return QStringLiteral("指定したオークションの表示に失敗しました。");
}

bool TMiruberoMainForm::FormCreate()
{
    SetTrayHint(ProductName());
    m_platform.tray.setVisible(true);
    BalloonText = QStringLiteral("なし");

    ExeDir = m_platform.folders.programDir() + QLatin1Char('/');
    DataDir = m_platform.folders.documentsDir() + QStringLiteral("/ヨツバネ/MiruberoData/");
    const QString dataFolder = DataDir.chopped(1);
    // A folder that cannot be made is not reported here; the file operations report their own failures.
    if (!QDir(dataFolder).exists())
        QDir().mkpath(dataFolder);

    if (!m_speech.Load(ExeDir)) {
        m_platform.dialogs.showMessage(NoSpeechDataMessage());
        return false;
    }

    StartingUp = true;
    KakakuChanged = false;
    return true;
}

void TMiruberoMainForm::AttachWatchList(platform::WindowView* view, store::WatchListModel* model)
{
    m_watchListView = view;
    m_watchList = model ? model : &m_ownModel;
}

void TMiruberoMainForm::OpenAuction(const QString& url)
{
    if (url.isEmpty())
        return;
    OpenWithShell(m_platform.shellOpen, m_platform.dialogs, url, OpenAuctionFailedMessage());
}

void TMiruberoMainForm::TrayIcon1MouseUp(platform::MouseButton button)
{
    switch (button) {
    case platform::MouseButton::Right:
        m_platform.tray.popupMenu();
        break;
    case platform::MouseButton::Left:
        ShowWatchList();
        break;
    case platform::MouseButton::Middle:
    case platform::MouseButton::Other:
        break;
    }
}

void TMiruberoMainForm::S1Click()
{
    SetMenuEnabled(false);
    ShowWatchList();
}

void TMiruberoMainForm::E1Click()
{
    // Closing the resident side ends the program; the watch-list window is not asked to save.
    m_mainTimer.stop();
    m_platform.eventLoop.quit();
}

void TMiruberoMainForm::WatchListClosed()
{
    SetMenuEnabled(true);
}

void TMiruberoMainForm::ShowWatchList()
{
    if (!m_watchListView)
        return;
    m_watchListView->showWindow();
    m_watchListView->bringToFront();
}

void TMiruberoMainForm::SetTrayHint(const QString& hint)
{
    m_trayHint = hint;
    m_platform.tray.setHint(hint);
}

void TMiruberoMainForm::ShowBalloon()
{
    ShowBalloon(BalloonTitle(), BalloonText);
}

void TMiruberoMainForm::ShowBalloon(const QString& title, const QString& text)
{
    m_platform.tray.showBalloon(title, text);
}

void TMiruberoMainForm::SetMenuEnabled(bool enabled)
{
    m_menuShowEnabled = enabled;
    m_menuExitEnabled = enabled;
    m_platform.tray.setMenuEnabled(enabled, enabled);
}

void TMiruberoMainForm::RebuildSchedule()
{
    RebuildContext context{Schedule,
                           AlarmLatch,
                           AlarmLatchTime,
                           m_watchList,
                           DataDir,
                           StartingUp,
                           store::ToDayCount(m_platform.clock.now()),
                           m_platform.eventLoop};
    shell::RebuildSchedule(context);
    // At start-up the rebuild ends by asking the tick to show the watch-list window.
    if (StartingUp)
        ShowRequest = true;
}

} // namespace shell
