#include "retrieval/PriceCheckPass.h"
#include "retrieval/ScrapeTestSupport.h"
#include "support/FakeAuctionSite.h"
#include "support/FakePassResident.h"
#include "support/FakeTransfers.h"
#include "support/Fakes.h"
#include "support/NetworkFaults.h"
#include "support/ScratchDir.h"
#include "support/Transfers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace scrapetest;

namespace {

// The pass over the fake site with the real page client, a resident that records what the pass
// reports, and fakes of the window and the probe.
class PassTest : public ::testing::Test, protected testsupport::ResidentFakes {
protected:
    PassTest()
    {
        resident.dataDir = scratch.path() + u"/"_s;
        model.KomokuCount = 1;
        model.Komokus[0].Name = u"カメラ"_s;
        resident.schedule.Komoku.resize(1);
        clock.current = QDateTime(QDate(2024, 5, 11), QTime(12, 0));
        // Every fetch records the progress the window shows for it, and may act as the user.
        pages.onFetch = [this](const QString&) {
            if (const auto current = pass.Current())
                progress << retrieval::PriceCheckPass::ProgressText(current->Komoku, current->Row);
        };
        pages.beforeAnswer = [this](const retrieval::FetchResult&) {
            if (whilePageArrives)
                whilePageArrives();
        };
    }
    ~PassTest() override { pass.Stop(); }

    // A slot whose page the site serves, ending on the given day.
    void addSlot(int row, const QString& path, QDate endDay, const QByteArray& page)
    {
        auto& slot = resident.schedule.At(0, row - 1);
        slot.URL = site.url(path);
        slot.EndAt = endDay.isValid() ? store::ToDayCount(QDateTime(endDay, QTime(23, 59))) : 0;
        model.SlotAt(0, row).Cells[store::ColURL] = slot.URL;
        model.SlotAt(0, row).Cells[store::ColTitle] = u"Nikon F3"_s;
        model.SlotAt(0, row).Cells[store::ColKakaku] = u"1,000円"_s;
        model.SlotAt(0, row).KakakuText = u"1,000円"_s;
        if (!page.isEmpty())
            site.setPage(path, page);
    }
    QByteArray page(const QString& price = u"1,000円"_s) const
    {
        return Page(QStringList{u"<title>ヤフオク! - Nikon F3</title>"_s} + PriceBlock(price) +
                    CountBlock(u"5"_s) + EndBlock(u"2024.05.12（日）21:34"_s));
    }
    QStringList fetchedPaths() const
    {
        QStringList paths;
        for (const auto& request : site.requests())
            paths << QString::fromLatin1(request.target);
        return paths;
    }
    // A pass as the tick retries one (no probe first), run until it is over.
    void runPass(retrieval::PriceCheckPass& which)
    {
        which.RunPriceCheckPass(shell::PassStart::Retry);
        ASSERT_TRUE(testsupport::Spin([&which] { return which.Mode() == shell::RunMode::Idle; }));
    }
    void runPass() { runPass(pass); }

    testsupport::ScratchDir scratch;
    testsupport::FakePassResident resident;
    testsupport::FakeWindowView view;
    store::WatchListModel model;
    testsupport::FakeAuctionSite site;
    retrieval::PageFetcher fetcher{site.fetcherOptions()};
    testsupport::WatchedPages pages{fetcher};
    testsupport::FakePictures pictures;
    QStringList progress;
    std::function<void()> whilePageArrives;
    retrieval::PriceCheckPass pass{
        {resident, model, pages, pictures, probe, view, dialogs, clock, retrieval::BuiltInPageMarkers()}};
};

TEST_F(PassTest, HiddenWindowChecksOnlyTodayAndTomorrow)
{
    const QDate today = clock.current.date();
    addSlot(1, u"/today"_s, today, page());
    addSlot(2, u"/tomorrow"_s, today.addDays(1), page());
    addSlot(3, u"/later"_s, today.addDays(2), page());
    addSlot(4, u"/yesterday"_s, today.addDays(-1), page());
    addSlot(5, u"/no-end"_s, QDate(), page());

    view.visible = false;
    runPass();
    EXPECT_EQ(fetchedPaths(), (QStringList{u"/today"_s, u"/tomorrow"_s}));
    EXPECT_EQ(progress.value(0), u"現在価格のチェック中(0-1)..."_s);
    EXPECT_EQ(pass.Mode(), shell::RunMode::Idle);
    EXPECT_EQ(resident.retryCount, 0);

    site.clearRequests();
    view.visible = true;
    runPass();
    EXPECT_EQ(fetchedPaths().size(), 5);
}

TEST_F(PassTest, SwitchingChecksOffStopsThePassBeforeTheNextFetch)
{
    for (int row = 1; row <= 3; ++row)
        addSlot(row, u"/p%1"_s.arg(row), clock.current.date(), page());
    view.visible = true;
    resident.retryCount = 3;
    // Switched off while the first page is on its way: that page is dropped, no other is fetched.
    whilePageArrives = [this] {
        if (pass.KakakuChecking())
            pass.BtnKakakuCheckClick();
    };
    runPass();
    EXPECT_EQ(fetchedPaths(), QStringList{u"/p1"_s});
    EXPECT_EQ(model.SlotAt(0, 1).Cells[store::ColNyusatu], QString());
    EXPECT_EQ(resident.retryCount, 0);
    EXPECT_EQ(resident.stops, 1);
    EXPECT_EQ(resident.ends, 1);
    EXPECT_EQ(model.KakakuCheckButtonCaption, u"価格チェック開始"_s);

    // Switched on again, the next tick's periodic test is met at once.
    pass.BtnKakakuCheckClick();
    EXPECT_EQ(model.KakakuCheckButtonCaption, store::KakakuCheckStopCaption());
    EXPECT_EQ(resident.soon, 1);
}

TEST_F(PassTest, ChangedPriceBringsTheWindowForwardAndShowsABalloon)
{
    resident.schedule.Settings.Kido = true;
    resident.schedule.Settings.Balloon = true;
    addSlot(1, u"/p1"_s, clock.current.date(), page(u"1,200円"_s));
    resident.schedule.At(0, 0).OverBudget = true;
    view.visible = true;
    runPass();

    EXPECT_EQ(dialogs.texts(), QStringList{u"カメラ-No1の価格が更新されました。"_s});
    EXPECT_EQ(view.log, (QStringList{u"top"_s, u"normal"_s, u"cell 0-1"_s}));
    ASSERT_EQ(resident.balloons.size(), 1u);
    EXPECT_EQ(resident.balloons[0].first, u"価格更新"_s);
    EXPECT_EQ(resident.balloons[0].second, u"予算オーバー 1,200円\rカメラ-No1-Nikon F3"_s);
    EXPECT_FALSE(resident.notice.KakakuChanged);
}

TEST_F(PassTest, NoNoticeWhileTheWindowAsksForACheckOrDuringARegistration)
{
    resident.schedule.Settings.Kido = true;
    resident.schedule.Settings.Balloon = true;
    addSlot(1, u"/p1"_s, clock.current.date(), page(u"1,300円"_s));
    view.visible = true;
    model.KakakuCheckRequest = true;
    runPass();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(resident.balloons.empty());
    EXPECT_FALSE(resident.notice.KakakuChanged);

    // A registration's page: no notice, and the registration ends instead of the pass.
    model.KakakuCheckRequest = false;
    site.setPage(u"/p1"_s, page(u"1,400円"_s));
    bool saved = false;
    pass.SetSave([&saved] { return saved = true; });
    pass.RegisterPage(0, 1, resident.schedule.At(0, 0).URL);
    ASSERT_TRUE(testsupport::Spin([this] { return pass.Mode() == shell::RunMode::Idle; }));
    EXPECT_EQ(model.SlotAt(0, 1).Cells[store::ColKakaku], u"1,400円"_s);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(resident.balloons.empty());
}

TEST_F(PassTest, PagesWhoseMarkersMovedKeepTheirValuesAndAreReportedOnceARun)
{
    resident.schedule.Settings.Balloon = true;
    // The site renamed its classes: the page arrives whole, and nothing in it is found.
    const QByteArray renamed = page(u"1,500円"_s)
                                   .replace("Price__title", "PriceTitle")
                                   .replace("Count__title", "CountTitle")
                                   .replace("ProductDetail__title", "DetailTitle");
    addSlot(1, u"/p1"_s, clock.current.date(), renamed);
    addSlot(2, u"/p2"_s, clock.current.date(), renamed);
    addSlot(3, u"/p3"_s, clock.current.date(), page());
    view.visible = true;
    runPass();
    EXPECT_EQ(model.SlotAt(0, 1).Cells[store::ColKakaku], u"1,000円"_s);
    EXPECT_EQ(model.SlotAt(0, 1).LastCheckError, retrieval::PriceCheckPass::UnreadPageText());
    EXPECT_TRUE(model.SlotAt(0, 3).LastCheckError.isEmpty());
    const QString told = retrieval::PriceCheckPass::LayoutChangedMessage() + u"（2件）"_s;
    EXPECT_EQ(model.LabelMsgNotice, told);
    ASSERT_EQ(resident.balloons.size(), 1u);
    EXPECT_EQ(resident.balloons[0].second, told);

    runPass();
    EXPECT_EQ(resident.balloons.size(), 1u) << "told once a run, not at every pass";
    EXPECT_EQ(model.SlotAt(0, 2).LastCheckError, retrieval::PriceCheckPass::UnreadPageText());
}

TEST_F(PassTest, DeletedAuctionIsSkippedAndALostConnectionEndsThePass)
{
    addSlot(1, u"/p1"_s, clock.current.date(), page());
    addSlot(2, u"/deleted"_s, clock.current.date(), {});
    site.setStatus(u"/deleted"_s, 404);
    addSlot(3, u"/p3"_s, clock.current.date(), page());
    view.visible = true;
    runPass();
    EXPECT_EQ(fetchedPaths(), (QStringList{u"/p1"_s, u"/deleted"_s, u"/p3"_s}));
    EXPECT_TRUE(model.SlotAt(0, 2).LastCheckError.contains(u"404"_s));
    EXPECT_TRUE(model.SlotAt(0, 1).LastCheckError.isEmpty());
    EXPECT_EQ(resident.retryCount, 0);
    EXPECT_EQ(pass.Mode(), shell::RunMode::Idle);
    EXPECT_EQ(resident.ends, 1);

    // A page whose connection breaks: the pass ends as a failed one, the rest waits for the retry.
    site.clearRequests();
    site.setBrokenPage(u"/p1"_s, page(), 10);
    runPass();
    EXPECT_EQ(fetchedPaths(), QStringList{u"/p1"_s});
    EXPECT_EQ(resident.retryCount, 1);
    EXPECT_EQ(pass.Mode(), shell::RunMode::Idle);
    EXPECT_FALSE(model.SlotAt(0, 1).LastCheckError.isEmpty());
    EXPECT_TRUE(model.SlotAt(0, 2).LastCheckError.contains(u"404"_s)) << "kept until a check succeeds";
}

TEST_F(PassTest, AHostThatDoesNotResolveIsItsSlotsFaultWhileTheInternetAnswers)
{
    addSlot(1, u"/p1"_s, clock.current.date(), page());
    addSlot(2, u"/p2"_s, clock.current.date(), {});
    addSlot(3, u"/p3"_s, clock.current.date(), page());
    // A typo in the URL cell: a name that no resolver knows.
    const QString typo = u"https://page.auctions.yahoo.co.jp.invalid/jp/auction/x"_s;
    resident.schedule.At(0, 1).URL = typo;
    model.SlotAt(0, 2).Cells[store::ColURL] = typo;
    view.visible = true;
    runPass();
    EXPECT_EQ(fetchedPaths(), (QStringList{u"/p1"_s, u"/p3"_s}));
    EXPECT_EQ(model.SlotAt(0, 2).LastCheckError,
              retrieval::fetchErrorText(retrieval::FetchError::NameNotFound, 0));
    EXPECT_EQ(resident.retryCount, 0);
    EXPECT_EQ(probe.probed.size(), 1);

    // Without the Internet no name resolves: the pass ends there, for the tick's retry.
    probe.reachable = false;
    site.clearRequests();
    runPass();
    EXPECT_EQ(fetchedPaths(), QStringList{u"/p1"_s});
    EXPECT_EQ(resident.retryCount, 1);
}

TEST_F(PassTest, AnOpenCellEditorStaysOpenAndItsSlotWaitsForTheNextPass)
{
    for (int row = 1; row <= 3; ++row)
        addSlot(row, u"/p%1"_s.arg(row), clock.current.date(), page(u"2,000円"_s));
    view.visible = true;
    // The user is typing into row 2; committing would store what is typed so far.
    view.editing = std::pair(0, 2);
    view.onCommit = [this] { model.SlotAt(0, 2).Cells[store::ColURL] = u"https://page.auc"_s; };
    runPass();
    EXPECT_EQ(fetchedPaths(), (QStringList{u"/p1"_s, u"/p3"_s}));
    EXPECT_EQ(view.commits, 0);
    EXPECT_EQ(model.SlotAt(0, 2).Cells[store::ColKakaku], u"1,000円"_s);
    EXPECT_EQ(model.SlotAt(0, 3).Cells[store::ColKakaku], u"2,000円"_s);
    EXPECT_EQ(pass.Mode(), shell::RunMode::Idle);

    site.clearRequests();
    view.editing.reset();
    runPass();
    EXPECT_EQ(fetchedPaths().size(), 3);
    EXPECT_EQ(model.SlotAt(0, 2).Cells[store::ColKakaku], u"2,000円"_s);
}

TEST_F(PassTest, EachNetworkFaultOnEveryPageEndsOrSkipsThePassAndLeavesTheSlotsAsTheyWere)
{
    constexpr int Rows = 4;
    const testsupport::NetworkFaults faults(site);
    view.visible = true;
    const QString stored = resident.dataDir + store::SetteiIniName(0);
    const auto storedBytes = [&stored] {
        QFile file(stored);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    };
    for (const auto& fault : faults.list()) {
        SCOPED_TRACE(fault.name);
        store::IniFile ini(stored);
        for (int row = 1; row <= Rows; ++row) {
            addSlot(row, u"/unused"_s, clock.current.date(), {});
            const QString url = fault.address + u"?r="_s + QString::number(row);
            resident.schedule.At(0, row - 1).URL = url;
            store::Slot& slot = model.SlotAt(0, row);
            slot.Cells[store::ColURL] = url;
            slot.Cells[store::ColNyusatu] = u"3"_s;
            slot.LastCheckError.clear();
            const QString section = store::SlotSection(row);
            ini.WriteString(section, store::settei::Title, slot.Cells[store::ColTitle]);
            ini.WriteString(section, store::settei::URL, url);
            ini.WriteString(section, store::settei::Kakaku, slot.Cells[store::ColKakaku]);
            ini.WriteString(section, store::settei::Nyusatu, slot.Cells[store::ColNyusatu]);
        }
        ASSERT_TRUE(ini.Save());
        const QByteArray fileBefore = storedBytes();
        std::vector<std::array<QString, store::ColumnCount>> cellsBefore;
        for (int row = 1; row <= Rows; ++row)
            cellsBefore.push_back(model.SlotAt(0, row).Cells);
        resident.retryCount = 0;
        const int ends = resident.ends;

        retrieval::PageFetcher faultyFetcher(faults.fetcherOptions());
        retrieval::PriceCheckPass faultyPass{{resident, model, faultyFetcher, pictures, probe, view, dialogs,
                                              clock, retrieval::BuiltInPageMarkers()}};
        QElapsedTimer elapsed;
        elapsed.start();
        runPass(faultyPass);
        EXPECT_LT(elapsed.elapsed(), 5000);

        // A lost connection ends the pass at its first page, for the tick's retry; a bad
        // answer concerns its own page only.
        const int fetched = fault.connectionLost ? 1 : Rows;
        if (fault.seen) {
            EXPECT_EQ(fault.seen(), fault.seenPerFetch * fetched) << "one try per page";
        }
        EXPECT_EQ(resident.ends, ends + 1);
        EXPECT_EQ(resident.retryCount, fault.connectionLost ? 1 : 0);
        for (int row = 1; row <= Rows; ++row) {
            EXPECT_EQ(model.SlotAt(0, row).Cells, cellsBefore[static_cast<size_t>(row - 1)]) << row;
            EXPECT_EQ(model.SlotAt(0, row).LastCheckError, row <= fetched ? fault.failure : QString()) << row;
        }
        EXPECT_EQ(storedBytes(), fileBefore);
        EXPECT_TRUE(dialogs.shown.empty()) << "a pass in the background asks nothing";
        // Pages that arrived and showed nothing are told about; failed ones only in the hint.
        if (fault.failure == retrieval::PriceCheckPass::UnreadPageText()) {
            EXPECT_EQ(model.LabelMsgNotice,
                      retrieval::PriceCheckPass::LayoutChangedMessage() + u"（%1件）"_s.arg(Rows));
        }
    }
}

TEST_F(PassTest, PagesThatFailOnTheirOwnEndTheRetriesOfAnEarlierFailedPass)
{
    addSlot(1, u"/gone"_s, clock.current.date(), {});
    site.setStatus(u"/gone"_s, 503);
    addSlot(2, u"/loop"_s, clock.current.date(), {});
    site.setRedirect(u"/loop"_s, "/loop");
    addSlot(3, u"/ftp"_s, clock.current.date(), {});
    site.setRedirect(u"/ftp"_s, "ftp://127.0.0.1/item");
    view.visible = true;
    resident.retryCount = 2;
    runPass();
    EXPECT_TRUE(fetchedPaths().contains(u"/ftp"_s));
    EXPECT_EQ(resident.retryCount, 0) << "the tick would run this pass again every second";
    EXPECT_EQ(pass.Mode(), shell::RunMode::Idle);
    for (int row = 1; row <= 3; ++row)
        EXPECT_FALSE(model.SlotAt(0, row).LastCheckError.isEmpty()) << row;
}

TEST_F(PassTest, DeletingACategoryDuringThePassSkipsItsEntries)
{
    site.setPage(u"/p1"_s, page(u"1,500円"_s));
    site.setPage(u"/k1"_s, page(u"9,999円"_s));
    resident.schedule.Settings.Kido = true;
    resident.schedule.Settings.Balloon = true;
    view.visible = true;
    const auto put = [this](int komoku, const QString& path) {
        resident.schedule.At(komoku, 0).URL = site.url(path);
        resident.schedule.At(komoku, 0).EndAt = store::ToDayCount(clock.current);
        store::Slot& slot = model.SlotAt(komoku, 1);
        slot.Cells[store::ColURL] = site.url(path);
        slot.Cells[store::ColKakaku] = slot.KakakuText = u"1,000円"_s;
    };
    // The user deletes the category of the page being read, whose price changed: the first,
    // whose numbers the second then takes, or the last one. No notice names either, and the
    // entries of the category that moved are skipped.
    for (const int deleted : {0, 1}) {
        SCOPED_TRACE(deleted);
        model.Komokus.assign(2, store::Komoku());
        model.KomokuCount = 2;
        resident.schedule.Komoku.assign(2, {});
        put(deleted, u"/p1"_s);
        if (deleted == 0)
            put(1, u"/k1"_s);
        site.clearRequests();
        whilePageArrives = [this, deleted] {
            if (model.Komokus.size() == 2) {
                model.Komokus.erase(model.Komokus.begin() + deleted);
                model.KomokuCount = 1;
            }
        };
        runPass();
        EXPECT_EQ(fetchedPaths(), QStringList{u"/p1"_s});
        EXPECT_EQ(model.SlotAt(0, 1).Cells[store::ColKakaku], deleted == 0 ? u"1,000円"_s : QString());
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_TRUE(resident.balloons.empty());
        EXPECT_EQ(pass.Mode(), shell::RunMode::Idle);
    }
}

TEST_F(PassTest, NothingDueOnlyNotesTheEnd)
{
    addSlot(1, u"/later"_s, clock.current.date().addDays(5), page());
    view.visible = false;
    resident.retryCount = 3;
    runPass();
    EXPECT_TRUE(site.requests().isEmpty());
    EXPECT_EQ(resident.retryCount, 0);
    EXPECT_EQ(resident.skips, 1);
    EXPECT_EQ(resident.ends, 0);
    EXPECT_EQ(view.renders, 0) << "the window never showed a pass";
}

} // namespace
