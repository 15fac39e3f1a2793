#include "platform/linux/CurlConnectivityProbe.h"
#include "platform/linux/LocalInstanceGuard.h"
#include "platform/linux/LogindPowerNotices.h"
#include "platform/linux/QtClipboard.h"
#include "platform/linux/QtDialogs.h"
#include "platform/linux/QtEventLoop.h"
#include "platform/linux/QtFolders.h"
#include "platform/linux/QtShellOpen.h"
#include "platform/linux/QtSpeechLibrary.h"
#include "platform/linux/QtTray.h"
#include "platform/linux/SteadyClock.h"
#include "retrieval/FetchPage.h"
#include "retrieval/PageMarkers.h"
#include "retrieval/PriceCheckPass.h"
#include "retrieval/SlotPictures.h"
#include "shell/TMiruberoMainForm.h"
#include "store/TextRules.h"
#include "store/WatchListModel.h"
#include "watchlist/PictureBoxCommands.h"
#include "watchlist/ResidentLink.h"
#include "watchlist/WatchListPresenter.h"
#include "window/Fonts.h"
#include "window/TForm1.h"
#include "window/TForm4.h"
#include "window/TKakakuRirekiForm.h"
#include "window/TKakudaiGazoForm.h"

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int size : {32, 64, 256})
        icon.addFile(QStringLiteral(":/icons/mirubero-%1.png").arg(size), QSize(size, size));
    return icon;
}

const char Usage[] = "使い方: mirubero [商品ページのアドレス]\n"
                     "       mirubero --help | --version\n";

// --help and --version, answered before the toolkit starts so that they work without a display.
std::optional<int> AnsweredWithoutDisplay(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(Usage, stdout);
        std::fputs("ヤフオク!の商品ページのアドレスを渡すと、起動中のミルベロに登録します"
                   "（起動していなければ起動してから登録します）。\n",
                   stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs("mirubero " MIRUBERO_VERSION "\n", stdout);
        return 0;
    }
    return std::nullopt;
}

// An item-page address on the command line (a browser's "open with") is registered. False,
// with the usage printed, when the arguments are anything but one web address.
bool ReadCommandLineAddress(std::optional<QString>& address)
{
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return true;
    address = arguments.size() == 1 ? store::WebAddress(arguments.front()) : std::nullopt;
    if (address)
        return true;
    QTextStream(stderr) << QStringLiteral("mirubero: http または https のアドレスではありません: %1\n")
                               .arg(arguments.join(u' '))
                        << QString::fromUtf8(Usage);
    return false;
}

// Another instance runs: it is handed the address, or asked to show its window. The exit code.
int AnswerFromRunning(platform::LocalInstanceGuard& guard, const std::optional<QString>& address,
                      platform::Dialogs& dialogs)
{
    if (address) {
        if (guard.askRunningToRegister(*address))
            return 0;
        QTextStream(stderr) << QStringLiteral("mirubero: 起動中のミルベロにアドレスを渡せませんでした。\n");
        return 1;
    }
    // Without a tray the message would point at an icon that is not there.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        dialogs.showMessage(shell::TMiruberoMainForm::AlreadyRunningMessage(), store::ProductName(),
                            platform::MessageIcon::Information);
    else
        guard.askRunningToShow();
    return 0;
}

// Addresses from the command line and from later starts wait until the start-up stage has shown
// and loaded the window, and each for the registration before it, which may ask a question or
// fetch a page while events run.
class WaitingAddresses final {
public:
    WaitingAddresses(const store::WatchListModel& model, watchlist::WatchListPresenter& presenter)
        : m_model(model), m_presenter(presenter)
    {
        m_readyWait.setInterval(200);
        QObject::connect(&m_readyWait, &QTimer::timeout, &m_readyWait, [this] { HandOne(); });
    }

    void Add(const QString& address)
    {
        m_waiting << address;
        m_readyWait.start();
    }

private:
    void HandOne()
    {
        if (m_waiting.isEmpty()) {
            m_readyWait.stop();
            return;
        }
        if (m_registering || !m_model.WindowReady)
            return;
        m_registering = true;
        m_presenter.RegisterFromOutside(m_waiting.takeFirst());
        m_registering = false;
    }

    const store::WatchListModel& m_model;
    watchlist::WatchListPresenter& m_presenter;
    QStringList m_waiting;
    QTimer m_readyWait;
    bool m_registering = false;
};

} // namespace

int main(int argc, char** argv)
{
    if (const auto answered = AnsweredWithoutDisplay(argc, argv))
        return *answered;

    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(store::ProductName());
    QApplication::setWindowIcon(ApplicationIcon());
    // The resident side has no window; closing the watch-list window must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    window::InstallFontSubstitutions();

    std::optional<QString> address;
    if (!ReadCommandLineAddress(address))
        return 2;

    platform::QtDialogs dialogs;
    platform::LocalInstanceGuard guard(QStringLiteral("TMiruberoMainForm"));
    if (!guard.acquire())
        return AnswerFromRunning(guard, address, dialogs);

    platform::QtTray tray(QApplication::windowIcon());
    platform::QtShellOpen shellOpen;
    platform::QtFolders folders;
    platform::SteadyClock clock;
    platform::QtEventLoop eventLoop;
    platform::QtSpeechLibrary speech;
    platform::CurlConnectivityProbe probe;

    // The watch-list model lives for the whole run; the resident side, the window's presenter,
    // the window and the page retrieval all work on it.
    store::WatchListModel model;
    shell::TMiruberoMainForm mainForm({dialogs, tray, shellOpen, folders, clock, eventLoop, speech}, model);
    if (!mainForm.FormCreate())
        return 1;

    // What the scraper looks for in the site's pages: the file beside the program, read once.
    const retrieval::PageMarkers markers =
        retrieval::LoadPageMarkers(mainForm.ExeDir() + retrieval::PageMarkersName(), dialogs);
    // Item pages: one client for the whole run, the picture downloads, and the pass with the
    // registration fetch, whose transfers all run on this event loop.
    retrieval::PageFetcher fetcher;
    retrieval::SlotPictureDownloader pictures;
    watchlist::ResidentLink residentLink(mainForm);
    window::TForm1 form1(model);
    retrieval::PriceCheckPass pass(
        {mainForm, model, fetcher, pictures, probe, form1, dialogs, clock, markers});
    mainForm.AttachPriceCheck(&pass);
    watchlist::WatchListPresenter presenter(
        {model, residentLink, form1, dialogs, clock, mainForm.Speech(), shellOpen, pass});
    pass.SetSave([&presenter] { return presenter.Save(); });
    form1.SetPresenter(&presenter);
    mainForm.AttachWatchList(&form1);
    presenter.FormCreate();
    window::TKakudaiGazoForm kakudaiGazoForm;
    // The slots' picture boxes: their menu, paste, drop and the enlarged view.
    platform::QtClipboard clipboard;
    watchlist::PictureBoxCommands pictureBox(
        {model, dialogs, clipboard, [&kakudaiGazoForm](const QImage& picture, const QString& caption) {
             kakudaiGazoForm.ShowEnlarged(picture, caption);
         }});
    form1.SetPictureBox(&pictureBox);
    window::TForm4 form4([&presenter](const QString& address) { presenter.LabelURLClick(address); },
                         QApplication::windowIcon(), [&mainForm] { mainForm.StartMonitor(); });
    // The probe opens whatever the About window's address label shows.
    mainForm.SetProbeAddress([&form4] { return form4.LabelURLCaption(); });

    platform::LogindPowerNotices powerNotices;
    powerNotices.listen([&mainForm](int code) { mainForm.PowerEvent(code); });

    window::TKakakuRirekiForm kakakuRirekiForm;
    presenter.SetCommands({[&form4] { form4.showModalAbout(); },
                           [&kakakuRirekiForm](const watchlist::KakakuRireki& rireki) {
                               kakakuRirekiForm.ShowKakakuRireki(rireki);
                           }});
    mainForm.AttachRegistration(&presenter);

    WaitingAddresses waiting(model, presenter);
    if (address)
        waiting.Add(*address);
    guard.listen([&mainForm] { mainForm.ShowWatchList(); },
                 [&waiting](const QString& handed) {
                     // Re-checked: the channel is the user's own, but nothing else is ever registered.
                     if (const auto checked = store::WebAddress(handed))
                         waiting.Add(*checked);
                 });
    return QApplication::exec();
}
