// A price-check pass over fifty slots against the fake site on loopback: pages
// fetched through one client that keeps its connection, and, for comparison,
// with a new (TLS) connection per page.

#include "BenchPages.h"
#include "retrieval/PriceCheckPass.h"
#include "support/FakeAuctionSite.h"
#include "support/FakeTransfers.h"
#include "support/Fakes.h"
#include "support/ResidentAccess.h"
#include "support/Transfers.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace testsupport;

void RunPass(benchmark::State& state, bool newConnectionPerFetch)
{
    FakeAuctionSite site;
    const QByteArray page = bench::ItemPage();
    QTemporaryDir dir;
    ResidentFakes fakes;
    fakes.folders.documents = dir.path();
    fakes.folders.program = dir.path();
    fakes.clock.current = QDateTime(QDate(2026, 12, 10), QTime(12, 0));
    FakeWindowView window;
    window.visible = true;
    store::WatchListModel model;
    shell::TMiruberoMainForm resident(fakes.Platform(), model);
    resident.FormCreate();
    resident.AttachWatchList(&window);
    testsupport::State(resident).StartingUp = false;
    model.KomokuCount = 5;
    model.Komokus.resize(5);
    resident.Schedule().Komoku.resize(5);
    for (int k = 0; k < 5; ++k) {
        for (int row = 1; row <= 10; ++row) {
            const QString path = QStringLiteral("/jp/auction/x%1_%2").arg(k).arg(row);
            site.setPage(path, page);
            resident.Schedule().At(k, row - 1).URL = site.url(path);
            model.SlotAt(k, row).Cells[store::ColURL] = site.url(path);
        }
    }
    retrieval::FetchOptions options = site.fetcherOptions();
    options.NewConnectionPerFetch = newConnectionPerFetch;
    retrieval::PageFetcher fetcher(options);
    FakePictures pictures;
    retrieval::PriceCheckPass pass({resident, model, fetcher, pictures, fakes.probe, window, fakes.dialogs,
                                    fakes.clock, retrieval::BuiltInPageMarkers()});
    for (auto _ : state) {
        pass.RunPriceCheckPass(shell::PassStart::Retry);
        Spin([&pass] { return pass.Mode() == shell::RunMode::Idle; });
    }
    if (site.requests().size() != static_cast<qsizetype>(state.iterations()) * 50 ||
        testsupport::State(resident).RetryCount != 0)
        state.SkipWithError("the pass did not fetch every page");
    state.counters["connections"] = site.connectionCount();
}

void BM_PassFiftySlotsOneConnection(benchmark::State& state)
{
    RunPass(state, false);
}
BENCHMARK(BM_PassFiftySlotsOneConnection)->Unit(benchmark::kMillisecond);

void BM_PassFiftySlotsNewConnectionEach(benchmark::State& state)
{
    RunPass(state, true);
}
BENCHMARK(BM_PassFiftySlotsNewConnectionEach)->Unit(benchmark::kMillisecond);

} // namespace
