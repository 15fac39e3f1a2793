#include "platform/linux/CurlConnectivityProbe.h"
#include "platform/linux/LocalInstanceGuard.h"
#include "platform/linux/LogindPowerNotices.h"
#include "platform/linux/QtDialogs.h"
#include "platform/linux/QtEventLoop.h"
#include "platform/linux/QtFolders.h"
#include "platform/linux/QtShellOpen.h"
#include "platform/linux/QtSpeechLibrary.h"
#include "platform/linux/QtTray.h"
#include "platform/linux/SteadyClock.h"
#include "retrieval/FetchPage.h"
#include "retrieval/PriceCheckPass.h"
#include "retrieval/SlotPictures.h"
#include "shell/MiruberoMainForm.h"
#include "store/TextRules.h"
#include "store/WatchListModel.h"
#include "watchlist/ResidentLink.h"
#include "watchlist/WatchListPresenter.h"
#include "window/Fonts.h"
#include "window/TForm1.h"
#include "window/TForm4.h"
#include "window/TKakudaiGazoForm.h"

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>

namespace {

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int size : {32, 64, 256})
        icon.addFile(QStringLiteral(":/icons/mirubero-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(store::ProductName());
    QApplication::setWindowIcon(ApplicationIcon());
    // The resident side has no window; closing the watch-list window must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    window::InstallFontSubstitutions();

    platform::QtDialogs dialogs;
    platform::LocalInstanceGuard guard(QStringLiteral("TMiruberoMainForm"));
    if (!guard.acquire()) {
        // Without a tray the message would point at an icon that is not there.
        if (QSystemTrayIcon::isSystemTrayAvailable())
            dialogs.showMessage(shell::TMiruberoMainForm::AlreadyRunningMessage(), store::ProductName(),
                                platform::MessageIcon::Information);
        else
            guard.askRunningToShow();
        return 0;
    }

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
    shell::TMiruberoMainForm mainForm({dialogs, tray, shellOpen, folders, clock, eventLoop, speech, probe},
                                      model);
    if (!mainForm.FormCreate())
        return 1;

    watchlist::ResidentLink residentLink(mainForm);
    window::TForm1 form1(model);
    watchlist::WatchListPresenter presenter(
        {model, residentLink, form1, dialogs, clock, mainForm.Speech(), shellOpen});
    form1.SetPresenter(&presenter);
    mainForm.AttachWatchList(&form1);
    presenter.FormCreate();
    window::TKakudaiGazoForm kakudaiGazoForm;
    window::TForm4 form4(shellOpen, dialogs, QApplication::windowIcon(),
                         [&mainForm] { mainForm.StartMonitor(); });
    // The probe opens whatever the About window's address label shows.
    mainForm.SetProbeAddress([&form4] { return form4.LabelURLCaption(); });

    platform::LogindPowerNotices powerNotices;
    powerNotices.listen([&mainForm](int code) { mainForm.PowerEvent(code); });

    // Item pages: one client for the whole run, and the pass the monitor starts.
    retrieval::PageFetcher fetcher;
    retrieval::SlotPictureDownloader pictures(model, mainForm.DataDir());
    retrieval::PriceCheckPass pass({mainForm, model, fetcher, pictures, form1, dialogs, eventLoop, clock,
                                    [&presenter] { presenter.Save(); }});
    mainForm.AttachPriceCheck(&pass);
    presenter.SetCommands(
        {[&form4] { form4.showModalAbout(); }, [&pass] { pass.BtnKakakuCheckClick(); },
         [&pass](int komoku, int row, const QString& url) { pass.RegisterPage(komoku, row, url); }});
    mainForm.AttachRegistration(&presenter);

    guard.listen([&mainForm] { mainForm.ShowWatchList(); }, {});
    return QApplication::exec();
}
