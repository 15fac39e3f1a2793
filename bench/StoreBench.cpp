// The stored files at their largest: "Total.ini", five categories of ten slots
// with every key, and "SpeakMsg.txt".

#include "BenchFolder.h"
#include "shell/ScheduleRebuild.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace store;

const QDateTime FirstEnd(QDate(2026, 12, 11), QTime(21, 7));

QString StoredAddress(int komoku, int row)
{
    return QStringLiteral("https://page.auctions.yahoo.co.jp/jp/auction/x10%1%2").arg(komoku).arg(row);
}

class NoEvents final : public platform::EventLoop {
public:
    void processEvents() override {}
    void quit() override {}
};

void BM_RebuildScheduleFromFiles(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString dataDir = dir.path() + QLatin1Char('/');
    bench::WriteFullFolder(dataDir, StoredAddress, FirstEnd);
    NoEvents events;
    shell::Schedule schedule;
    std::vector<shell::KomokuAlarm> alarms;
    for (auto _ : state) {
        shell::RebuildContext context{schedule, alarms, nullptr, dataDir, false, 46000.0, events};
        shell::RebuildSchedule(context);
        benchmark::DoNotOptimize(schedule.Komoku.data());
    }
}
BENCHMARK(BM_RebuildScheduleFromFiles)->Unit(benchmark::kMillisecond);

void BM_WriteFiveCategories(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString dataDir = dir.path() + QLatin1Char('/');
    int generation = 0;
    for (auto _ : state) {
        ++generation;
        for (int k = 0; k < 5; ++k)
            bench::WriteCategory(dataDir, k, StoredAddress, FirstEnd, generation);
    }
}
BENCHMARK(BM_WriteFiveCategories)->Unit(benchmark::kMillisecond);

} // namespace
