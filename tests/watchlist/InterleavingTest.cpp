// Thousands of the user's commands, ticks of the monitor and transfers that finish, fail or
// stall, in an order drawn from a seed. After every step the stored files read and agree with
// a saved window, and the run state is one the pass allows. A failure names its seed and step;
// MIRUBERO_SEED=<n> runs that seed alone.

#include "WatchListFixture.h"

#include "retrieval/ScrapeTestSupport.h"
#include "store/IniFile.h"
#include "store/StoredFiles.h"
#include "support/Transfers.h"

#include <random>

namespace watchlisttest {
namespace {

class Interleaving : public WatchListFiles {
protected:
    void SetUp() override
    {
        WatchListFiles::SetUp();
        probe.deferred = true;
        putTotal(2);
        QString rows;
        for (int r = 1; r <= 4; ++r)
            rows += u"[%1]\nTitle=t%1\nURL=%2\nKakaku=1,000円\nShuryoTime=2026/12/12 21:34:00\n"_s.arg(r).arg(
                item(r));
        put(u"Settei0.ini"_s, u"[Komoku]\nName=カメラ\n"_s + rows);
        put(u"Settei1.ini"_s, u"[Komoku]\nName=本\n[1]\nTitle=b1\nURL=%1\nKakaku=500円\n"_s.arg(item(11)));
        create();
        view.onShow = [this] { presenter->FormShow(); };
        startUp();
    }

    static QString item(int id) { return u"https://page.auctions.yahoo.co.jp/jp/auction/i%1"_s.arg(id); }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    bool chance(int percent) { return pick(100) < percent; }

    QByteArray randomPage()
    {
        using namespace scrapetest;
        const int kind = pick(10);
        if (kind == 0)
            return "<html>nothing here</html>";
        QStringList lines{u"<title>ヤフオク! - 品物 %1</title>"_s.arg(pick(100))};
        if (kind == 1)
            lines << EndedNotice();
        lines += PriceBlock(u"%1,000円"_s.arg(1 + pick(9)));
        lines += CountBlock(QString::number(pick(30)));
        lines += EndBlock(u"2026.12.%1（土）%2:34"_s.arg(10 + pick(5)).arg(10 + pick(12)));
        if (kind >= 7)
            lines += PictureBlock(u"https://auctions.c.yimg.jp/p%1.jpg"_s.arg(pick(5)));
        return Page(lines);
    }

    // The transfers in flight finish, fail or stall.
    void transfers()
    {
        if (probe.waiting && chance(60))
            probe.answer(chance(85));
        if (pages.inFlight() && chance(60)) {
            const int outcome = pick(10);
            if (outcome < 7)
                pages.answerPage(randomPage());
            else if (outcome == 7)
                pages.fail(retrieval::FetchError::Connection);
            else if (outcome == 8)
                pages.fail(retrieval::FetchError::HttpStatus, 404);
            else
                pages.fail(retrieval::FetchError::Timeout);
        }
        if (pictures.inFlight() && chance(60)) {
            QImage picture(8, 6, QImage::Format_RGB32);
            picture.fill(Qt::blue);
            pictures.answer(chance(70) ? store::EncodeJpeg(picture) : QByteArray("junk"));
        }
    }

    // One of the commands the window offers now.
    void command()
    {
        const watchlist::CommandStates offered = states();
        const int k = pick(model.KomokuCount);
        const int row = 1 + pick(store::SlotsPerKomoku);
        dialogs.answers.assign(1, chance(70));
        const int which = pick(20);
        done = u"command %1 on %2-%3"_s.arg(which).arg(k).arg(row);
        switch (which) {
        case 0:
            if (model.ActivePage > 0)
                presenter->DropURLTarget1Drop(item(100 + pick(50)));
            break;
        case 1:
            presenter->GridCellEdited(k, row, store::ColURL, item(100 + pick(50)));
            break;
        case 2:
            presenter->GridCellEdited(k, row, store::ColOption, u"メモ%1"_s.arg(pick(10)));
            break;
        case 3:
            presenter->GridCellEdited(k, row, store::ColYosan,
                                      chance(80) ? u"%1,000"_s.arg(pick(9)) : u"三万"_s);
            break;
        case 4:
            if (offered.BtnOK)
                presenter->MenuSaveClick();
            break;
        case 5:
            if (offered.MenuSortEnd)
                chance(50) ? presenter->S1Click() : presenter->MenuCheapClick();
            break;
        case 6:
            presenter->GridClick(k, row, store::ColTitle);
            if (states().MenuDelete)
                presenter->RowDellClick();
            break;
        case 7:
            presenter->GridMouseDown(k, store::ColTitle, row, true);
            if (states().MoveItems.size() > 1) {
                const int target = pick(static_cast<int>(states().MoveItems.size()));
                if (states().MoveItems[static_cast<size_t>(target)])
                    presenter->MoveKomokuItemClick(target);
            }
            break;
        case 8:
            presenter->GridClick(k, row, store::ColTitle);
            if (states().MenuHonmei)
                chance(50) ? presenter->MenuHonmeiClick() : presenter->MenuRakusatuhinClick();
            break;
        case 9:
            if (offered.BtnAddKomoku && chance(40))
                presenter->BtnAddKomokuClick();
            break;
        case 10:
            if (offered.BtnTabDel && chance(40))
                presenter->BtnTabDelClick(k);
            break;
        case 11: {
            const int page = pick(model.KomokuCount + 1);
            if (page == 0)
                presenter->TabSheetSetteiShow();
            else
                presenter->TabSheetAuctionShow(page - 1);
            presenter->PageControl1Change(page);
            break;
        }
        case 12:
            presenter->BtnKakakuCheckClick();
            break;
        case 13:
            if (presenter->FormCloseQuery() && chance(80)) {
                view.visible = true;
                presenter->FormShow();
            }
            break;
        case 14:
            form->PowerEvent(4);
            form->PowerEvent(7);
            break;
        case 15:
            model.KakakuCheckRequest = true;
            break;
        case 16:
            presenter->EditArarmTimeChange(QString::number(1 + pick(30)));
            break;
        default:
            // The monitor's time goes on: a tick a little or a lot later.
            clock.advance(100 + pick(chance(20) ? 60000 : 2000));
            form->MainTimerTimer();
            break;
        }
    }

    // Lets the steps that the pass posted to the event loop run.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    void expectStoredFilesRead()
    {
        const store::IniFile total(path(store::TotalIniName()));
        ASSERT_TRUE(total.Existed());
        const int count = store::Read(total, store::total::KomokuCount);
        ASSERT_GE(count, 1);
        if (!model.Saved)
            return;
        // A saved window is what its files hold.
        ASSERT_EQ(count, model.KomokuCount);
        for (int k = 0; k < count; ++k) {
            const store::IniFile file(path(store::SetteiIniName(k)));
            ASSERT_TRUE(file.Existed()) << k;
            for (int r = 1; r <= store::SlotsPerKomoku; ++r) {
                const QString section = store::SlotSection(r);
                ASSERT_EQ(file.ReadString(section, store::settei::URL), cell(k, r, store::ColURL))
                    << k << "-" << r;
                if (!cell(k, r, store::ColURL).isEmpty()) {
                    ASSERT_EQ(file.ReadString(section, store::settei::Title), cell(k, r, store::ColTitle))
                        << k << "-" << r;
                    ASSERT_EQ(file.ReadString(section, store::settei::Kakaku), cell(k, r, store::ColKakaku))
                        << k << "-" << r;
                }
            }
        }
    }

    void expectAllowedRunState()
    {
        const int waiting =
            (probe.waiting ? 1 : 0) + (pages.inFlight() ? 1 : 0) + (pictures.inFlight() ? 1 : 0);
        switch (pass->Mode()) {
        case shell::RunMode::Idle:
            ASSERT_EQ(waiting, 0);
            ASSERT_FALSE(pass->Current());
            break;
        case shell::RunMode::Pass:
            // A pass waits for its probe or one page, never for a picture.
            ASSERT_EQ(waiting, 1);
            ASSERT_FALSE(pictures.inFlight());
            ASSERT_EQ(pass->KakakuChecking(), !probe.waiting || pages.inFlight());
            break;
        case shell::RunMode::Registration:
            ASSERT_EQ(waiting, 1);
            ASSERT_TRUE(pass->Registering() || probe.waiting);
            break;
        }
        const watchlist::CommandStates shown = states();
        if (pass->KakakuChecking()) {
            ASSERT_FALSE(shown.MenuSave);
            ASSERT_FALSE(shown.BtnOK);
            ASSERT_TRUE(shown.LabelMsgVisible);
        }
        ASSERT_GE(model.KomokuCount, 1);
        ASSERT_LE(model.KomokuCount, store::MaxKomokuCount);
        ASSERT_EQ(static_cast<int>(model.Komokus.size()), model.KomokuCount);
    }

    void run(unsigned seed, int steps)
    {
        random.seed(seed);
        for (int step = 0; step < steps; ++step) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", step " << step);
            if (chance(50)) {
                done = u"transfers"_s;
                transfers();
            } else {
                command();
            }
            settle();
            SCOPED_TRACE(done.toStdString());
            expectStoredFilesRead();
            expectAllowedRunState();
            if (HasFatalFailure())
                return;
        }
    }

    std::mt19937 random;
    // What the last step did, for the report of a failure.
    QString done;
};

TEST_F(Interleaving, CommandsTicksAndTransfersInAnyOrderKeepTheFilesAndTheRunStateWhole)
{
    const QByteArray chosen = qgetenv("MIRUBERO_SEED");
    if (!chosen.isEmpty()) {
        run(chosen.toUInt(), 4000);
        return;
    }
    for (const unsigned seed : {20261210u, 7u})
        run(seed, 2500);
}

} // namespace
} // namespace watchlisttest
