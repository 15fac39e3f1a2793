#include "shell/TMiruberoMainForm.h"

#include "shell/AuthorSite.h"
#include "shell/OpenWithShell.h"
#include "store/PictureMoves.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"

#include <QDir>
#include <QFileInfo>

namespace shell {

TMiruberoMainForm::TMiruberoMainForm(ShellPlatform platform, store::WatchListModel& model, QObject* parent)
    : QObject(parent), m_platform(platform), m_model(model), m_speech(platform.Speech),
      m_probeAddress(AuthorSiteUrl), m_monitor({m_platform, m_model, m_schedule, m_speech}, *this)
{
    m_platform.Tray.setMenuEnabled(false, false);
    m_platform.Tray.setHandlers({
        [this](platform::MouseButton button) { TrayIcon1MouseUp(button); },
        [this] { S1Click(); },
        [this] { E1Click(); },
    });
}

TMiruberoMainForm::~TMiruberoMainForm()
{
    m_monitor.Stop();
    m_speech.Release();
}

QString TMiruberoMainForm::AlreadyRunningMessage()
{
    return QStringLiteral("「") + store::ProductName() +
           QStringLiteral("」は既に起動しています。\r"
                          "タスクトレイのアイコンを右クリックすれば\r"
                          "メニューを表示できます。");
}

QString TMiruberoMainForm::NoSpeechDataMessage()
{
    return QStringLiteral("声のデータが存在しません。\r終了します。");
}

QString TMiruberoMainForm::UnreadableTotalMessage(const QString& path)
{
    return QStringLiteral("設定ファイル「") + path +
           QStringLiteral("」を読み込めません。\r"
                          "ファイルの所有者と読み取りの権限を確かめてから、もう一度起動してください。\r"
                          "データを守るため、終了します。");
}

QString TMiruberoMainForm::UnreadableFileMessage(const QString& path)
{
    return QStringLiteral("ファイル「") + path +
           QStringLiteral("」を読み込めません。\r"
                          "ファイルの所有者と読み取りの権限を確かめてから、もう一度起動してください。\r"
                          "データを守るため、終了します。");
}

QStringList TMiruberoMainForm::StoredNames()
{
    QStringList names{store::SpeakMsgName()};
    for (int k = 0; k < store::MaxKomokuCount; ++k) {
        names << store::SetteiIniName(k);
        for (int s = 0; s < store::SlotsPerKomoku; ++s)
            names << store::ImageName(k, s);
    }
    return names;
}

QString TMiruberoMainForm::OpenAuctionFailedMessage()
{
    return QStringLiteral("指定したオークションの表示に失敗しました。");
}

bool TMiruberoMainForm::FormCreate()
{
    SetTrayHint(store::ProductName());
    m_platform.Tray.setVisible(true);

    m_exeDir = m_platform.Folders.programDir() + QLatin1Char('/');
    m_dataDir = m_platform.Folders.documentsDir() + QStringLiteral("/ヨツバネ/MiruberoData/");
    const QString dataFolder = m_dataDir.chopped(1);
    // A folder that cannot be made is not reported here; the file operations report their own failures.
    if (!QDir(dataFolder).exists())
        QDir().mkpath(dataFolder);

    if (!m_speech.Load(m_exeDir)) {
        m_platform.Dialogs.showMessage(NoSpeechDataMessage());
        return false;
    }
    // Only a missing "Total.ini" means a first start. One that is there but cannot be read
    // would be taken for one, and the first start's save would empty the stored lists.
    const QString total = m_dataDir + store::TotalIniName();
    if (!store::IsReadableOrMissing(total)) {
        m_platform.Dialogs.showMessage(UnreadableTotalMessage(total));
        return false;
    }
    // The same for the other stored files: a list or a picture the window cannot read would
    // show as missing, and the next save would replace it or delete it.
    for (const QString& name : StoredNames()) {
        const QFileInfo file(m_dataDir + name);
        if (file.isFile() && !store::IsReadableOrMissing(file.filePath())) {
            m_platform.Dialogs.showMessage(UnreadableFileMessage(file.filePath()));
            return false;
        }
    }
    // What a write cut short left behind is finished or dropped before anything reads the folder.
    store::FinishPictureMoves(m_dataDir);

    m_notice.KakakuChanged = false;
    return true;
}

void TMiruberoMainForm::OpenAuction(const QString& url)
{
    if (url.isEmpty())
        return;
    OpenWithShell(m_platform.ShellOpen, m_platform.Dialogs, url, OpenAuctionFailedMessage());
}

void TMiruberoMainForm::TrayIcon1MouseUp(platform::MouseButton button)
{
    switch (button) {
    case platform::MouseButton::Right:
        m_platform.Tray.popupMenu();
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
    // Closing the resident side ends the program; the watch-list window is not asked to save,
    // whether it shows or not. An open cell editor still hands its text to the model first.
    if (m_watchListView)
        m_watchListView->commitEdits();
    // A transfer in flight ends now rather than with the program, its callbacks unheard.
    m_monitor.StopRetrieval();
    m_monitor.Stop();
    m_platform.EventLoop.quit();
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
    m_platform.Tray.setHint(hint);
}

void TMiruberoMainForm::ShowBalloon(const QString& title, const QString& text)
{
    m_platform.Tray.showBalloon(title, text);
}

void TMiruberoMainForm::SetMenuEnabled(bool enabled)
{
    m_platform.Tray.setMenuEnabled(enabled, enabled);
}

} // namespace shell
