// The watch-list window with five full categories and a picture in every slot:
// showing it (the load from the stored files, the pictures decoded, one paint) and
// saving it, with the pictures as they were and with every picture new.

#include "BenchFolder.h"
#include "shell/TMiruberoMainForm.h"
#include "support/FakeTransfers.h"
#include "support/Fakes.h"
#include "support/ResidentAccess.h"
#include "watchlist/ResidentLink.h"
#include "watchlist/WatchListPresenter.h"
#include "window/Fonts.h"
#include "window/TForm1.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

namespace {

using namespace testsupport;

// Everything the window needs, with a data folder of five full categories on disk.
struct FullWindow : ResidentFakes {
    FullWindow()
    {
        folders.documents = dir.path();
        folders.program = dir.path();
        clock.current = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
        resident.FormCreate();
        form1 = std::make_unique<window::TForm1>(model);
        pass = std::make_unique<retrieval::PriceCheckPass>(
            retrieval::PriceCheckPass::Parts{resident, model, pages, pictures, probe, *form1, dialogs, clock,
                                             retrieval::BuiltInPageMarkers()});
        presenter = std::make_unique<watchlist::WatchListPresenter>(watchlist::WatchListPresenter::Parts{
            model, link, *form1, dialogs, clock, resident.Speech(), shellOpen, *pass});
        form1->SetPresenter(presenter.get());
        presenter->FormCreate();
        for (int k = 1; k < store::MaxKomokuCount; ++k)
            presenter->BtnAddKomokuClick();
        for (int k = 0; k < store::MaxKomokuCount; ++k) {
            model.KomokuAt(k).Name = QStringLiteral("カメラとレンズ%1").arg(k);
            model.KomokuAt(k).HonmeiNo = 3;
            for (int row = 1; row <= store::SlotsPerKomoku; ++row) {
                store::Slot& slot = model.SlotAt(k, row);
                const QStringList cells{
                    QStringLiteral("ニコン 単焦点レンズ AF-S 50mm f/1.8G 美品 元箱付き %1").arg(row),
                    QStringLiteral("12"),
                    QString::number(10 + row),
                    QStringLiteral("21"),
                    QStringLiteral("07"),
                    QStringLiteral("https://page.auctions.yahoo.co.jp/jp/auction/x10%1%2").arg(k).arg(row),
                    QStringLiteral("20"),
                    QStringLiteral("57"),
                    QStringLiteral("12,345円"),
                    QStringLiteral("30,000円"),
                    QStringLiteral("50,000円"),
                    QStringLiteral("17"),
                    QStringLiteral("15000円"),
                    QStringLiteral("メモ: 付属品を確認すること")};
                for (int c = 1; c < store::ColumnCount; ++c)
                    slot.Cells[static_cast<size_t>(c)] = cells[c - 1];
                slot.KakakuText = slot.Cells[store::ColKakaku];
                slot.Picture = store::SlotPicture::FromImage(bench::Thumbnail(k * 10 + row));
                slot.PictureExist = true;
            }
        }
        model.Saved = false;
        if (!presenter->Save())
            throw std::runtime_error("the first save failed");
        testsupport::State(resident).StartingUp = false;
    }

    QTemporaryDir dir;
    store::WatchListModel model;
    shell::TMiruberoMainForm resident{Platform(), model};
    watchlist::ResidentLink link{resident};
    std::unique_ptr<window::TForm1> form1;
    testsupport::FakePages pages;
    testsupport::FakePictures pictures;
    std::unique_ptr<retrieval::PriceCheckPass> pass;
    std::unique_ptr<watchlist::WatchListPresenter> presenter;
};

void BM_ShowWindowFiveFullCategories(benchmark::State& state)
{
    FullWindow w;
    for (auto _ : state) {
        w.form1->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        w.form1->hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ShowWindowFiveFullCategories)->Unit(benchmark::kMillisecond);

void BM_SaveFiveFullCategories(benchmark::State& state)
{
    FullWindow w;
    store::WatchListModel& model = w.model;
    const bool newPictures = state.range(0) != 0;
    int generation = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A changed remark in every slot, so that every file really changes.
        ++generation;
        for (int k = 0; k < store::MaxKomokuCount; ++k)
            for (int row = 1; row <= store::SlotsPerKomoku; ++row) {
                store::Slot& slot = model.SlotAt(k, row);
                slot.Cells[store::ColOption] = QStringLiteral("メモ %1").arg(generation);
                if (newPictures)
                    slot.Picture = store::SlotPicture::FromImage(bench::Thumbnail(k * 10 + row + generation));
            }
        state.ResumeTiming();
        if (!w.presenter->Save())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveFiveFullCategories)->Arg(0)->Arg(1)->ArgName("newPictures")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    window::InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
