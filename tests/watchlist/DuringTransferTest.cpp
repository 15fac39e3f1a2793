// Every command a user can reach while a page is on its way, for a pass and for a registration:
// the command acts, then the transfer completes (or is found cancelled). Nothing crashes,
// nothing is lost, the stored files still read, and the run ends or goes on as it should.

#include "WatchListFixture.h"

#include "retrieval/ScrapeTestSupport.h"
#include "store/IniFile.h"
#include "store/StoredFiles.h"
#include "support/Transfers.h"

namespace watchlisttest {
namespace {

enum class Transfer { Pass, Registration };
class DuringTransfer;

struct Command {
    const char* name;
    // The user's action while the page is on its way.
    void (DuringTransfer::*act)();
    // Whether it cancels the page in flight of a pass, and of a registration.
    bool cancelsPass;
    bool cancelsRegistration;
    // What must hold once everything has ended.
    void (DuringTransfer::*after)(Transfer);
};

class DuringTransfer : public WatchListFiles,
                       public ::testing::WithParamInterface<std::tuple<Command, Transfer>> {
public:
    static QString item(const QString& id) { return u"https://page.auctions.yahoo.co.jp/jp/auction/"_s + id; }

    void SetUp() override
    {
        WatchListFiles::SetUp();
        probe.reachable = true;
        putTotal(2);
        QString rows;
        for (int r = 1; r <= 3; ++r)
            rows += u"[%1]\nTitle=t%1\nURL=%2\nKakaku=1,000円\nShuryoTime=2026/12/12 21:34:00\n"_s.arg(r).arg(
                item(u"a%1"_s.arg(r)));
        put(u"Settei0.ini"_s, u"[Komoku]\nName=カメラ\n"_s + rows);
        put(u"Settei1.ini"_s,
            u"[Komoku]\nName=本\n[1]\nTitle=b1\nURL=%1\nKakaku=1,000円\n"_s.arg(item(u"b1"_s)));
        create();
        view.onShow = [this] { presenter->FormShow(); };
        startUp();
        dialogs.shown.clear();
        presenter->TabSheetAuctionShow(0);
        presenter->PageControl1Change(1);
    }

    // The commands, as the user gives them.
    void tabDelete()
    {
        dialogs.answers = {true};
        presenter->BtnTabDelClick(0);
        EXPECT_EQ(model.KomokuCount, 1);
        EXPECT_EQ(model.KomokuAt(0).Name, u"本"_s);
    }
    void settingsEdit()
    {
        presenter->EditArarmTimeChange(u"5"_s);
        model.General.CheckBoxAllArarm = true;
        presenter->CheckBoxAllArarmClick();
        EXPECT_FALSE(model.Saved);
    }
    void drop()
    {
        presenter->DropURLTarget1Drop(item(u"dropped"_s));
        EXPECT_FALSE(pass->PendingRegistrations().empty());
    }
    void paste()
    {
        presenter->GridCellEdited(0, 6, store::ColURL, item(u"pasted"_s));
        EXPECT_FALSE(pass->PendingRegistrations().empty());
    }
    void closeWindow()
    {
        dialogs.answers = {false};
        EXPECT_TRUE(presenter->FormCloseQuery());
        EXPECT_EQ(pass->Mode(), shell::RunMode::Idle);
    }
    void trayShow()
    {
        form->S1Click();
        EXPECT_FALSE(tray.showEnabled);
    }
    void trayExit()
    {
        form->E1Click();
        EXPECT_EQ(eventLoop.quits, 1);
    }
    void suspend()
    {
        form->PowerEvent(4);
        EXPECT_FALSE(form->MonitorRunning());
    }
    void checksOff()
    {
        presenter->BtnKakakuCheckClick();
        EXPECT_EQ(model.KakakuCheckButtonCaption, retrieval::PriceCheckPass::KakakuCheckStartCaption());
    }

    // What holds afterwards.
    QString price(int k, int r) const { return cell(k, r, store::ColKakaku); }
    // The pass went on over every slot, or the registration filled its slot.
    void wentOn(Transfer transfer)
    {
        if (transfer == Transfer::Pass) {
            for (int r = 1; r <= 3; ++r)
                EXPECT_EQ(price(0, r), u"2,000円"_s) << r;
            EXPECT_EQ(price(1, 1), u"2,000円"_s);
        } else {
            EXPECT_EQ(cell(0, 4, store::ColTitle), u"Nikon F3"_s);
        }
    }
    // Nothing the transfer brought reached a slot.
    void cutShort(Transfer)
    {
        EXPECT_EQ(pages.requested.size(), 1);
        for (int r = 1; r <= 3; ++r)
            EXPECT_EQ(price(0, r), u"1,000円"_s) << r;
        EXPECT_TRUE(cell(0, 4, store::ColTitle).isEmpty());
    }
    void categoryGone(Transfer)
    {
        // The page of a slot of the deleted category never reaches the one that took its place.
        EXPECT_EQ(cell(0, 1, store::ColURL), item(u"b1"_s));
        EXPECT_EQ(price(0, 1), u"1,000円"_s);
    }
    void settingsKept(Transfer transfer)
    {
        wentOn(transfer);
        EXPECT_EQ(model.General.EditArarmTime, u"5"_s);
        // A pass leaves the edit unsaved; the end of a registration saves the window, edit and all.
        EXPECT_EQ(model.Saved, transfer == Transfer::Registration);
        EXPECT_EQ(store::Read(store::IniFile(path(store::TotalIniName())), store::total::ArarmTime),
                  transfer == Transfer::Registration ? 5 : 10);
    }
    void waitingRegistered(Transfer transfer)
    {
        wentOn(transfer);
        int titled = 0;
        for (int r = 1; r <= store::SlotsPerKomoku; ++r)
            titled += cell(0, r, store::ColTitle) == u"Nikon F3"_s ? 1 : 0;
        EXPECT_EQ(titled, transfer == Transfer::Pass ? 1 : 2) << "the address that waited is registered";
    }
    void checkedOff(Transfer transfer)
    {
        if (transfer == Transfer::Pass)
            cutShort(transfer);
        else
            wentOn(transfer);
    }

    // Starts the transfer the test is about, its page left on its way.
    void startTransfer(Transfer transfer)
    {
        if (transfer == Transfer::Pass) {
            pass->RunPriceCheckPass(shell::PassStart::Requested);
            ASSERT_TRUE(pass->KakakuChecking());
        } else {
            typeCell(0, 4, store::ColURL, item(u"new"_s));
            ASSERT_TRUE(pass->Registering());
        }
        ASSERT_TRUE(pages.inFlight());
    }
    // Answers every page asked for until nothing runs; the answers raise each price.
    void drain()
    {
        for (int i = 0; i < 50; ++i) {
            if (pages.inFlight())
                pages.answerPage(scrapetest::ItemPage(u"2,000円"_s));
            testsupport::Spin([this] { return pass->Mode() == shell::RunMode::Idle || pages.inFlight(); },
                              2000);
            if (pass->Mode() == shell::RunMode::Idle)
                break;
        }
    }
    // The stored files read, and each stored slot's address is one the model shows in that slot.
    void expectStoredFilesMatch()
    {
        const store::IniFile total(path(store::TotalIniName()));
        ASSERT_TRUE(total.Existed());
        const int count = store::Read(total, store::total::KomokuCount);
        EXPECT_EQ(count, model.KomokuCount);
        for (int k = 0; k < count; ++k) {
            const store::IniFile file(path(store::SetteiIniName(k)));
            ASSERT_TRUE(file.Existed()) << k;
            for (int r = 1; r <= store::SlotsPerKomoku; ++r) {
                const QString stored = file.ReadString(store::SlotSection(r), store::settei::URL);
                if (!stored.isEmpty()) {
                    EXPECT_EQ(stored, cell(k, r, store::ColURL)) << k << "-" << r;
                }
            }
        }
    }
};

TEST_P(DuringTransfer, TheCommandActsAndTheTransferEndsAsItShould)
{
    const auto& [command, transfer] = GetParam();
    startTransfer(transfer);
    const int cancelsBefore = pages.cancels;
    (this->*command.act)();
    const bool cancels = transfer == Transfer::Pass ? command.cancelsPass : command.cancelsRegistration;
    EXPECT_EQ(pages.cancels - cancelsBefore, cancels ? 1 : 0);
    drain();
    EXPECT_EQ(pass->Mode(), shell::RunMode::Idle);
    // Whatever waited is handed over by the tick and finishes too.
    for (int i = 0; i < 5 && !pass->PendingRegistrations().empty(); ++i) {
        form->MainTimerTimer();
        drain();
    }
    EXPECT_TRUE(pass->PendingRegistrations().empty());
    EXPECT_FALSE(pages.inFlight());
    expectStoredFilesMatch();
    EXPECT_TRUE(form->MonitorRunning() || std::string(command.name) == "Suspend" ||
                std::string(command.name) == "TrayExit");
    (this->*command.after)(transfer);
}

const Command Commands[] = {
    {"TabDelete", &DuringTransfer::tabDelete, false, false, &DuringTransfer::categoryGone},
    {"SettingsEdit", &DuringTransfer::settingsEdit, false, false, &DuringTransfer::settingsKept},
    {"Drop", &DuringTransfer::drop, false, false, &DuringTransfer::waitingRegistered},
    {"Paste", &DuringTransfer::paste, false, false, &DuringTransfer::waitingRegistered},
    {"CloseWindow", &DuringTransfer::closeWindow, true, true, &DuringTransfer::cutShort},
    {"TrayShow", &DuringTransfer::trayShow, false, false, &DuringTransfer::wentOn},
    {"TrayExit", &DuringTransfer::trayExit, true, true, &DuringTransfer::cutShort},
    {"Suspend", &DuringTransfer::suspend, true, true, &DuringTransfer::cutShort},
    {"ChecksOff", &DuringTransfer::checksOff, true, false, &DuringTransfer::checkedOff},
};

INSTANTIATE_TEST_SUITE_P(Commands, DuringTransfer,
                         ::testing::Combine(::testing::ValuesIn(Commands),
                                            ::testing::Values(Transfer::Pass, Transfer::Registration)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Transfer::Pass ? "DuringAPass"
                                                                               : "DuringARegistration");
                         });

} // namespace
} // namespace watchlisttest
