// Registering an auction from a cell or a drop, through the presenter and the real price-check
// pass against the fake auction site.

#include "WatchListFixture.h"

#include "retrieval/PriceCheckPass.h"
#include "retrieval/ScrapeTestSupport.h"
#include "retrieval/SlotPictures.h"
#include "store/PriceHistory.h"
#include "support/FakeAuctionSite.h"
#include "support/NetworkFaults.h"
#include "support/Transfers.h"
#include "watchlist/GridHint.h"

#include <QElapsedTimer>

namespace {

using namespace watchlisttest;

class Register : public WatchListFiles {
protected:
    // The pass goes before the clients of this fixture it may be using.
    ~Register() override
    {
        presenter.reset();
        pass.reset();
    }
    void SetUp() override
    {
        WatchListFiles::SetUp();
        probe.reachable = true;
        putTotal(2);
        create();
        startUp();
        dialogs.shown.clear();
    }
    QString item(const QString& id) const { return u"https://page.auctions.yahoo.co.jp/jp/auction/"_s + id; }
    void price(int row, const QString& text) { model.SlotAt(0, row).Cells[store::ColKakaku] = text; }
    // The registration fetch in flight goes nowhere: the connection breaks.
    void nowhere() { ASSERT_TRUE(pages.fail(retrieval::FetchError::Connection)); }
    // Registrations fetch their pages with the real clients through options (the site's own, or
    // ones with faults); the first category's page is in front.
    void registerFrom(const retrieval::FetchOptions& options)
    {
        fetcher = std::make_unique<retrieval::PageFetcher>(options);
        watched = std::make_unique<testsupport::WatchedPages>(*fetcher);
        downloader = std::make_unique<retrieval::SlotPictureDownloader>(site.fetcherOptions());
        create(watched.get(), downloader.get());
        startUp();
        model.ActivePage = 1;
        model.SelKomoku = 0;
    }
    // Runs the event loop until the registration is over.
    void settle()
    {
        ASSERT_TRUE(testsupport::Spin([this] { return pass->Mode() == shell::RunMode::Idle; }));
    }
    // The window is usable again: nothing runs, the save and the sorts are offered.
    void expectIdleWindow()
    {
        EXPECT_EQ(pass->Mode(), shell::RunMode::Idle);
        EXPECT_TRUE(states().MenuSave);
        EXPECT_TRUE(states().MenuSortEnd);
        EXPECT_FALSE(pass->Current());
    }

    // Before the fetcher, which keeps a connection to it until it goes.
    testsupport::FakeAuctionSite site;
    std::unique_ptr<retrieval::PageFetcher> fetcher;
    std::unique_ptr<testsupport::WatchedPages> watched;
    std::unique_ptr<retrieval::SlotPictureDownloader> downloader;
};

TEST_F(Register, AnItemPageAddressFindsTheFirstSlotWithoutAPrice)
{
    for (int row = 1; row <= 3; ++row) {
        model.SlotAt(0, row).Cells[store::ColURL] = item(u"r%1"_s.arg(row));
        price(row, u"100円"_s);
    }
    // Into the title cell of row 5: the address moves to row 4.
    model.SlotAt(0, 5).Cells[store::ColTitle] = item(u"a"_s);
    presenter->RegisterFromCell(0, store::ColTitle, 5, item(u"a"_s));
    EXPECT_EQ(cell(0, 4, store::ColURL), item(u"a"_s));
    EXPECT_TRUE(cell(0, 5, store::ColTitle).isEmpty());
    EXPECT_TRUE(states().BtnHyoji[0][3]);
    EXPECT_TRUE(view.log.contains(u"focus hyoji 0-4"_s));
    EXPECT_EQ(pages.requested, QStringList{item(u"a"_s)});
    EXPECT_TRUE(
        text(u"Settei0.ini"_s).contains(u"[4]\r\nTitle=\r\nShuryoTime=1899/12/30\r\nURL="_s + item(u"a"_s)));
    nowhere();

    // Into the price cell of row 5, which holds it now: row 5 is chosen and its price cell emptied.
    price(4, u"100円"_s);
    model.SlotAt(0, 5).Cells[store::ColKakaku] = item(u"b"_s);
    presenter->RegisterFromCell(0, store::ColKakaku, 5, item(u"b"_s));
    EXPECT_EQ(cell(0, 5, store::ColURL), item(u"b"_s));
    EXPECT_TRUE(cell(0, 5, store::ColKakaku).isEmpty());
    nowhere();

    // In the remarks column it stays. Row 5's address still waits for its first fetch (the fetch
    // above went nowhere): the next address does not replace it but takes row 6.
    model.SlotAt(0, 9).Cells[store::ColOption] = item(u"c"_s);
    presenter->RegisterFromCell(0, store::ColOption, 9, item(u"c"_s));
    EXPECT_EQ(cell(0, 9, store::ColOption), item(u"c"_s));
    model.SlotAt(0, 7).Cells[store::ColTitle] = item(u"d"_s);
    presenter->RegisterFromCell(0, store::ColTitle, 7, item(u"d"_s));
    EXPECT_EQ(cell(0, 5, store::ColURL), item(u"b"_s));
    EXPECT_EQ(cell(0, 6, store::ColURL), item(u"d"_s));
    EXPECT_EQ(pages.requested.size(), 3);
    // A typed price becomes the price the next check compares with.
    presenter->GridCellEdited(0, 2, store::ColKakaku, u"150円"_s);
    EXPECT_EQ(model.SlotAt(0, 2).KakakuText, u"150円"_s);
}

TEST_F(Register, ADuplicateIsAskedAboutAndNoEmptiesTheCell)
{
    model.SlotAt(1, 3).Cells[store::ColURL] = item(u"a"_s);
    model.KomokuAt(1).Name = u"本"_s;
    presenter->DropURLTarget1Drop(item(u"a"_s));
    EXPECT_TRUE(pages.requested.isEmpty()) << "no drop on the general page";

    model.ActivePage = 1;
    model.SelKomoku = 0;
    presenter->DropURLTarget1Drop(item(u"a"_s));
    ASSERT_EQ(dialogs.texts(), QStringList{u"本 No3に既に登録されていますが、\r登録しますか?"_s});
    EXPECT_TRUE(cell(0, 1, store::ColURL).isEmpty());
    EXPECT_TRUE(pages.requested.isEmpty());

    dialogs.answers.push_back(true);
    presenter->DropURLTarget1Drop(item(u"a"_s));
    EXPECT_EQ(pages.requested, QStringList{item(u"a"_s)});
}

TEST_F(Register, DropsDuringAPassWaitAndOtherAddressesAreNotWritten)
{
    model.ActivePage = 1;
    model.SelKomoku = 0;
    presenter->DropURLTarget1Drop(u"https://example.com/x"_s);
    EXPECT_TRUE(cell(0, 1, store::ColURL).isEmpty());
    EXPECT_TRUE(pages.requested.isEmpty());

    // A pass whose page is on its way.
    model.SlotAt(1, 1).Cells[store::ColURL] = form->Schedule().At(1, 0).URL = item(u"p"_s);
    pass->RunPriceCheckPass(shell::PassStart::Requested);
    ASSERT_TRUE(pass->KakakuChecking());
    presenter->DropURLTarget1Drop(item(u"a"_s));
    EXPECT_EQ(cell(0, 1, store::ColURL), item(u"a"_s));
    ASSERT_EQ(pass->PendingRegistrations().size(), 1u);
    EXPECT_EQ(pass->PendingRegistrations().front().Row, 1);
    // The tick hands it over once the pass is over: saved and fetched once.
    ASSERT_TRUE(pages.answerPage(scrapetest::ItemPage(u"500円"_s)));
    ASSERT_TRUE(testsupport::Spin([this] { return !pass->KakakuChecking(); }));
    form->MainTimerTimer();
    form->MainTimerTimer();
    EXPECT_EQ(pages.requested, (QStringList{item(u"p"_s), item(u"a"_s)}));
    EXPECT_TRUE(pass->PendingRegistrations().empty());
    nowhere();

    // A full category takes nothing.
    for (int row = 1; row <= store::SlotsPerKomoku; ++row)
        model.SlotAt(0, row).Cells[store::ColURL] = item(QString::number(row));
    presenter->DropURLTarget1Drop(item(u"z"_s));
    EXPECT_EQ(pages.requested.size(), 2);
}

TEST_F(Register, AnAddressFromOutsideGoesToTheCategoryPageShownLast)
{
    // Only the general page has shown: the first category.
    EXPECT_TRUE(presenter->RegisterFromOutside(item(u"a"_s)));
    EXPECT_EQ(pages.requested, QStringList{item(u"a"_s)});
    EXPECT_EQ(cell(0, 1, store::ColURL), item(u"a"_s));
    nowhere();

    // The second category's page, then the general page again.
    presenter->TabSheetAuctionShow(1);
    presenter->PageControl1Change(1 + 1);
    presenter->TabSheetSetteiShow();
    presenter->PageControl1Change(0);
    EXPECT_TRUE(presenter->RegisterFromOutside(item(u"b"_s)));
    EXPECT_EQ(pages.requested.last(), item(u"b"_s));
    EXPECT_EQ(cell(1, 1, store::ColURL), item(u"b"_s));
    EXPECT_EQ(model.ActivePage, 2);
    nowhere();

    // Before the start-up has loaded the window it waits with the caller.
    model.WindowReady = false;
    EXPECT_FALSE(presenter->RegisterFromOutside(item(u"c"_s)));
    EXPECT_EQ(pages.requested.size(), 2);
}

TEST_F(Register, AFailedRegistrationFetchLeavesTheWindowUsableForTheNext)
{
    // A server that hangs up at once, under the site's name; a stall cut short.
    testsupport::RawListener refusing(testsupport::RawListener::Mode::CloseAtOnce);
    retrieval::FetchOptions options = site.fetcherOptions();
    options.Resolve += testsupport::loopbackResolve(refusing.port());
    options.TransferTimeout = std::chrono::milliseconds(500);
    registerFrom(options);

    // Gone, refused, too slow: the user is told each time, and nothing stays stopped.
    site.setStatus(u"/jp/auction/b"_s, 404);
    site.setStall(u"/jp/auction/slow"_s);
    const QString refused = u"https://page.auctions.yahoo.co.jp:%1/jp/auction/c"_s.arg(refusing.port());
    for (const QString& address : {site.url(u"/jp/auction/b"_s), refused, site.url(u"/jp/auction/slow"_s)}) {
        const auto shown = dialogs.shown.size();
        presenter->DropURLTarget1Drop(address);
        settle();
        EXPECT_EQ(dialogs.shown.size(), shown + 1) << address.toStdString();
        expectIdleWindow();
    }
    EXPECT_TRUE(dialogs.texts().first().contains(u"404"_s));
    site.releaseStalls();

    // Given again, the same address tries once more: pasted into its own cell, or dropped, which
    // takes the slot that waits with it rather than the first free one, and asks nothing.
    site.setPage(u"/jp/auction/b"_s, scrapetest::ItemPage(u"800円"_s));
    site.setPage(u"/jp/auction/slow"_s, scrapetest::ItemPage(u"900円"_s));
    const auto told = dialogs.shown.size();
    typeCell(0, 1, store::ColURL, site.url(u"/jp/auction/b"_s));
    settle();
    EXPECT_EQ(cell(0, 1, store::ColKakaku), u"800円"_s);
    presenter->DropURLTarget1Drop(site.url(u"/jp/auction/slow"_s));
    settle();
    EXPECT_EQ(cell(0, 3, store::ColKakaku), u"900円"_s);
    EXPECT_TRUE(cell(0, 4, store::ColURL).isEmpty());
    EXPECT_EQ(dialogs.shown.size(), told);

    // The next registration fills its slot and is stored.
    QImage picture(80, 60, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 255));
    site.setPicture(u"/img/a.jpg"_s, store::EncodeJpeg(picture, 90));
    using namespace scrapetest;
    site.setPage(u"/jp/auction/a"_s,
                 Page(QStringList{u"<title>ヤフオク! - Nikon F3</title>"_s} + PriceBlock(u"1,200円"_s) +
                      CountBlock(u"5"_s) + EndBlock(u"2026.12.12（土）21:34"_s) +
                      PictureBlock(site.url(u"/img/a.jpg"_s))));
    presenter->DropURLTarget1Drop(site.url(u"/jp/auction/a"_s));
    settle();
    const store::Slot& slot = model.SlotAt(0, 4);
    EXPECT_EQ(slot.Cells[store::ColTitle], u"Nikon F3"_s);
    EXPECT_EQ(slot.Cells[store::ColKakaku], u"1,200円"_s);
    EXPECT_FALSE(slot.Picture.IsNull());
    EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"Title=Nikon F3\r\n"_s));
    EXPECT_TRUE(exists(u"Image0_3.jpg"_s));
    expectIdleWindow();
}

TEST_F(Register, WhatArrivesDuringARegistrationWaitsForItsEnd)
{
    model.ActivePage = 1;
    model.SelKomoku = 0;
    // A failed pass is owed a retry. While the first page is on its way, the monitor ticks and
    // the user drops a second address; then the page arrives.
    testsupport::State(*form).RetryCount = 1;
    presenter->DropURLTarget1Drop(item(u"a"_s));
    ASSERT_TRUE(pages.inFlight());
    EXPECT_TRUE(pass->Registering());
    clock.advance(2000);
    form->MainTimerTimer();
    presenter->DropURLTarget1Drop(item(u"b"_s));
    ASSERT_TRUE(pages.answerPage(scrapetest::ItemPage(u"1,200円"_s)));
    EXPECT_EQ(pages.requested, QStringList{item(u"a"_s)});
    EXPECT_EQ(cell(0, 1, store::ColKakaku), u"1,200円"_s);
    EXPECT_EQ(cell(0, 2, store::ColURL), item(u"b"_s));
    EXPECT_EQ(pass->PendingRegistrations().size(), 1u);
    EXPECT_EQ(testsupport::State(*form).RetryCount, 1) << "the retry waits too";
    expectIdleWindow();

    // Once it is over, the next tick hands the waiting address over.
    testsupport::State(*form).RetryCount = 0;
    form->MainTimerTimer();
    EXPECT_EQ(pages.requested, (QStringList{item(u"a"_s), item(u"b"_s)}));
    ASSERT_TRUE(pages.answerPage(scrapetest::ItemPage(u"2,400円"_s)));
    EXPECT_EQ(cell(0, 2, store::ColTitle), u"Nikon F3"_s);
    EXPECT_EQ(cell(0, 2, store::ColKakaku), u"2,400円"_s);
    EXPECT_TRUE(pass->PendingRegistrations().empty());
}

TEST_F(Register, EachNetworkFaultIsToldOnceAndLeavesTheSlotAndTheWindowAsBefore)
{
    const testsupport::NetworkFaults faults(site);
    registerFrom(faults.fetcherOptions());
    // What the slot and its file hold once the address is saved, just before the fetch.
    std::array<QString, store::ColumnCount> cellsAtFetch;
    QString fileAtFetch;
    watched->onFetch = [&](const QString&) {
        cellsAtFetch = model.SlotAt(0, 1).Cells;
        fileAtFetch = text(u"Settei0.ini"_s);
    };
    for (const auto& fault : faults.list()) {
        SCOPED_TRACE(fault.name);
        cellsAtFetch = {};
        const auto shown = dialogs.shown.size();
        QElapsedTimer elapsed;
        elapsed.start();
        // Pasted into the URL cell, which registers any address, also the raw listeners' plain ones.
        typeCell(0, 1, store::ColURL, fault.address);
        settle();
        EXPECT_LT(elapsed.elapsed(), 5000);

        ASSERT_EQ(cellsAtFetch[store::ColURL], fault.address) << "registered";
        if (fault.seen) {
            EXPECT_EQ(fault.seen(), fault.seenPerFetch) << "one try";
        }
        EXPECT_EQ(dialogs.texts().mid(static_cast<qsizetype>(shown)), QStringList{fault.failure});
        EXPECT_EQ(model.SlotAt(0, 1).Cells, cellsAtFetch);
        EXPECT_EQ(text(u"Settei0.ini"_s), fileAtFetch);
        EXPECT_FALSE(model.SlotAt(0, 1).PictureExist);
        expectIdleWindow();
        // The same slot takes the next address.
        model.SlotAt(0, 1).Cells[store::ColURL].clear();
    }

    // A page that is read, with pictures that are none: a JPEG and a GIF that only begin as such.
    using namespace scrapetest;
    site.setPicture(u"/img/a.jpg"_s, "\xFF\xD8\xFF\xE0" + testsupport::RandomBytes(4096, 5));
    site.setPicture(u"/img/b.gif"_s, "GIF89a" + testsupport::RandomBytes(4096, 7));
    site.setPage(u"/jp/auction/pictured"_s,
                 Page(QStringList{u"<title>ヤフオク! - Nikon F3</title>"_s} + PriceBlock(u"1,200円"_s) +
                      CountBlock(u"5"_s) + EndBlock(u"2026.12.12（土）21:34"_s) +
                      PictureBlock(site.url(u"/img/a.jpg"_s)) + PictureBlock(site.url(u"/img/b.gif"_s))));
    const auto shown = dialogs.shown.size();
    presenter->DropURLTarget1Drop(site.url(u"/jp/auction/pictured"_s));
    settle();
    const store::Slot& slot = model.SlotAt(0, 1);
    EXPECT_EQ(slot.Cells[store::ColTitle], u"Nikon F3"_s);
    EXPECT_EQ(slot.Cells[store::ColKakaku], u"1,200円"_s);
    EXPECT_FALSE(slot.PictureExist);
    EXPECT_TRUE(slot.Picture.IsNull());
    EXPECT_FALSE(exists(u"Image0_0.jpg"_s));
    EXPECT_FALSE(exists(u"Image0_0.gif"_s));
    EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"Title=Nikon F3\r\n"_s));
    EXPECT_EQ(site.requestsFor(u"/img/a.jpg"_s).size(), 1);
    EXPECT_EQ(site.requestsFor(u"/img/b.gif"_s).size(), 1);
    EXPECT_EQ(dialogs.shown.size(), shown) << "a missing picture is no failure of the registration";
    expectIdleWindow();
}

} // namespace

namespace {

using namespace watchlisttest;

class PriceHistory : public Register {
protected:
    // Registers the fake site's page /jp/auction/h1 at 12:00 into row 1 of the first category, and
    // reads the stored files into the schedule so that passes check it.
    void registerH1(const QString& price)
    {
        registerFrom(site.fetcherOptions());
        site.setPage(u"/jp/auction/h1"_s, scrapetest::ItemPage(price));
        presenter->DropURLTarget1Drop(site.url(u"/jp/auction/h1"_s));
        settle();
        form->RebuildSchedule();
        model.SelKomoku = 0;
        model.SelRow = 1;
    }
    void passAt(int minutes, const QString& price)
    {
        site.setPage(u"/jp/auction/h1"_s, scrapetest::ItemPage(price));
        clock.current = QDateTime(QDate(2026, 12, 9), QTime(12, minutes));
        pass->RunPriceCheckPass(shell::PassStart::Retry);
        settle();
    }
    std::vector<store::PriceReading> readings() const
    {
        return store::ReadPriceHistory(path(u"KakakuRireki/h1.txt"_s));
    }
    static store::PriceReading at(int minutes, int price)
    {
        return {QDateTime(QDate(2026, 12, 9), QTime(12, minutes)), price, 5};
    }
};

TEST_F(PriceHistory, ReadPagesAreRecordedAndOfferTheirWindow)
{
    registerH1(u"1,000円"_s);
    // A slot whose auction was never read offers no history.
    model.SlotAt(0, 2).Cells[store::ColURL] = item(u"never"_s);
    model.SelRow = 2;
    EXPECT_FALSE(states().MenuKakakuRireki);
    model.SelRow = 1;
    EXPECT_TRUE(states().MenuKakakuRireki);

    // The same price and bids again soon after are not written again; a change is, and so is
    // the same reading once ten minutes have passed.
    passAt(1, u"1,000円"_s);
    passAt(2, u"1,500円"_s);
    passAt(5, u"1,500円"_s);
    passAt(13, u"1,500円"_s);
    EXPECT_EQ(readings(), (std::vector{at(0, 1000), at(2, 1500), at(13, 1500)}));

    std::optional<watchlist::KakakuRireki> shown;
    presenter->SetCommands({{}, [&shown](const watchlist::KakakuRireki& rireki) { shown = rireki; }});
    model.SlotAt(0, 1).Cells[store::ColYosan] = u"2,000"_s;
    presenter->MenuKakakuRirekiClick();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->Readings.size(), 3u);
    EXPECT_EQ(shown->Yosan, 2000);
    EXPECT_EQ(shown->ShuryoTime, QDateTime(QDate(2026, 12, 12), QTime(21, 34)));

    // Moved to another row, the history goes with its auction.
    presenter->ApplyRowOrder(0, {1, 0, 2, 3, 4, 5, 6, 7, 8, 9});
    model.SelRow = 1;
    EXPECT_FALSE(states().MenuKakakuRireki);
    model.SelRow = 2;
    EXPECT_TRUE(states().MenuKakakuRireki);
}

TEST_F(PriceHistory, TheTitleHintTellsWhenThePageWasLastRead)
{
    registerH1(u"1,000円"_s);
    const auto hint = [this] { return presenter->HintText(0, store::ColTitle, 1); };
    clock.current = QDateTime(QDate(2026, 12, 9), QTime(12, 10));
    EXPECT_EQ(hint(), u"Nikon F3\r\n最終確認: 12:00"_s);
    // More than ten minutes while the checks are on; not said while they are off.
    clock.current = clock.current.addSecs(1);
    EXPECT_EQ(hint(), u"Nikon F3\r\n最終確認: 12:00　10分以上確認できていません。"_s);
    presenter->BtnKakakuCheckClick();
    EXPECT_EQ(hint(), u"Nikon F3\r\n最終確認: 12:00"_s);
    presenter->BtnKakakuCheckClick();

    // A failed fetch leaves the last read as it was.
    site.setStatus(u"/jp/auction/h1"_s, 500);
    form->RebuildSchedule();
    pass->RunPriceCheckPass(shell::PassStart::Retry);
    settle();
    EXPECT_TRUE(hint().startsWith(u"Nikon F3\r\n最終確認: 12:00　10分以上確認できていません。\r\n"_s))
        << hint().toStdString();

    // After a start the last reading of the history tells it, with its day when that is not today.
    model.SlotAt(0, 1).Track = {};
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(9, 0));
    show();
    EXPECT_EQ(hint(), u"Nikon F3\r\n最終確認: 12/09 12:00　10分以上確認できていません。\r\n"_s +
                          watchlist::LastCheckErrorLine(model.SlotAt(0, 1).LastCheckError));
    // Another auction in that row has a track of its own.
    model.SlotAt(0, 1).Cells[store::ColURL] = item(u"other"_s);
    EXPECT_EQ(hint(), u"Nikon F3\r\n"_s + watchlist::LastCheckErrorLine(model.SlotAt(0, 1).LastCheckError));
}

} // namespace
