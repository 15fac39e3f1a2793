// One monitor tick with five full categories scheduled and nothing due: the
// cost of the 100 ms timer while the program sits in the tray.

#include "shell/TMiruberoMainForm.h"
#include "store/DayCount.h"
#include "support/Fakes.h"
#include "support/ResidentAccess.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_MonitorTickNothingDue(benchmark::State& state)
{
    QTemporaryDir dir;
    testsupport::ResidentFakes fakes;
    fakes.folders.documents = dir.path();
    fakes.folders.program = dir.path();
    fakes.clock.current = QDateTime(QDate(2026, 12, 10), QTime(9, 0));
    testsupport::FakeWindowView view;
    store::WatchListModel model;

    shell::TMiruberoMainForm form(fakes.Platform(), model);
    form.FormCreate();
    form.AttachWatchList(&view);
    testsupport::State(form).StartingUp = false;
    model.KomokuCount = 5;
    model.Komokus.resize(5);
    form.Schedule().Komoku.resize(5);
    testsupport::Alarms(form).resize(5);
    for (int k = 0; k < 5; ++k) {
        for (int s = 0; s < 10; ++s) {
            auto& slot = form.Schedule().At(k, s);
            slot.EndAt = store::ToDayCount(QDateTime(QDate(2026, 12, 11 + s), QTime(21, 7)));
            slot.AlarmAt = slot.EndAt - 10.0 / 1440;
            slot.URL = QStringLiteral("https://page.auctions.yahoo.co.jp/jp/auction/x%1%2").arg(k).arg(s);
            slot.Budget = 30000;
        }
    }
    // A pass has just ended: the periodic check is not due either.
    testsupport::State(form).LastPassEnd = fakes.clock.ticks;
    for (auto _ : state)
        form.MainTimerTimer();
    if (!fakes.dialogs.shown.empty() || fakes.probe.probed.size() != 0)
        state.SkipWithError("something fell due");
    state.counters["per_slot_ns"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 50,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MonitorTickNothingDue);

} // namespace
