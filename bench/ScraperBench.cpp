// The scraper over a realistic item page of about 3,000 lines: once with the
// fields in the middle of the page, once on a page where nothing is found and
// every byte has to be looked at.

#include "retrieval/ScrapeTestSupport.h"

#include <benchmark/benchmark.h>

namespace {

using namespace scrapetest;

// Markup and Japanese text of an item page that holds none of the markers.
QStringList Filler(int lines)
{
    QStringList page;
    for (int i = 0; i < lines; ++i)
        page << QStringLiteral(
                    "<li class=\"Item%1\"><a href=\"https://auctions.yahoo.co.jp/category/list/%1/\">"
                    "カメラ、光学機器 &gt; フィルムカメラ &gt; 一眼レフ</a><span>送料無料</span></li>")
                    .arg(i);
    return page;
}

class ScraperBench final : public ScrapeTest {
public:
    void TestBody() override {}
    using ScrapeTest::Scrape;
};

void Run(benchmark::State& state, const QByteArray& page)
{
    ScraperBench fixture;
    for (auto _ : state)
        benchmark::DoNotOptimize(fixture.Scrape(page).Ok);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
}

void BM_ScrapeFieldsInTheMiddle(benchmark::State& state)
{
    QStringList lines = Filler(1500);
    lines << PriceBlock(QStringLiteral("12,345円")) << CountBlock(QStringLiteral("17"))
          << EndBlock(QStringLiteral("2024.05.12（日）21:34"));
    lines << Filler(1500);
    Run(state, Page(lines));
}
BENCHMARK(BM_ScrapeFieldsInTheMiddle)->Unit(benchmark::kMicrosecond);

void BM_ScrapeNothingFound(benchmark::State& state)
{
    Run(state, Page(Filler(3000)));
}
BENCHMARK(BM_ScrapeNothingFound)->Unit(benchmark::kMicrosecond);

} // namespace
