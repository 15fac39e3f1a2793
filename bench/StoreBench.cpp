// The stored files at their largest: "Total.ini", five categories of ten slots
// with every key, and "SpeakMsg.txt".

#include "shell/ScheduleRebuild.h"
#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/StoredFiles.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

using namespace store;

class NoEvents final : public platform::EventLoop {
public:
    void processEvents() override {}
    void quit() override {}
};

// Each generation changes every title, so that every save really writes.
void WriteKomoku(const QString& dataDir, int komoku, int generation = 0)
{
    IniFile file(dataDir + SetteiIniName(komoku));
    file.WriteString(settei::Komoku, settei::Name, QStringLiteral("カメラとレンズ"));
    file.WriteInteger(settei::Honmei, settei::No, 3);
    for (int row = 1; row <= SlotsPerKomoku; ++row) {
        const QString section = SlotSection(row);
        file.WriteString(
            section, settei::Title,
            QStringLiteral("[終了]ニコン 単焦点レンズ AF-S 50mm f/1.8G 美品 元箱付き 動作確認済み %1-%2")
                .arg(row)
                .arg(generation));
        file.WriteDateTime(section, settei::ShuryoTime, *EncodeDayCount(2026, 12, 10 + row, 21, 7, 0));
        file.WriteString(
            section, settei::URL,
            QStringLiteral("https://page.auctions.yahoo.co.jp/jp/auction/x10%1%2").arg(komoku).arg(row));
        file.WriteDateTime(section, settei::ArarmTime, *EncodeDayCount(2026, 12, 10 + row, 20, 57, 0));
        file.WriteString(section, settei::Kakaku, QStringLiteral("12,345円"));
        file.WriteString(section, settei::Yosan, QStringLiteral("30,000円"));
        file.WriteString(section, settei::Sokketugaku, QStringLiteral("50,000円"));
        file.WriteString(section, settei::Nyusatu, QStringLiteral("17"));
        file.WriteInteger(section, settei::Nyusatugaku, 15000);
        file.WriteBool(section, settei::Rakusatuhin, false);
        file.WriteString(section, settei::Option, QStringLiteral("メモ: 付属品を確認すること"));
        file.WriteBool(section, settei::PictureExist, true);
    }
    if (!file.Save())
        throw std::runtime_error("cannot write the category file");
}

void WriteFolder(const QString& dataDir)
{
    IniFile total(dataDir + TotalIniName());
    Write(total, total::KomokuCount, 5);
    Write(total, total::ArarmTime, 10);
    Write(total, total::ArarmAll, false);
    Write(total, total::ArarmSpeak, true);
    Write(total, total::KakakuKoshinKido, true);
    Write(total, total::KakakuKoshinBalloon, true);
    Write(total, total::EndAuctionDel, 2);
    Write(total, total::YosanOverNoHyoji, false);
    Write(total, total::KakakuCheckToday_Tomorrow, true);
    total.Save();
    WriteSpeakMsg(dataDir + SpeakMsgName(), {DefaultSpeakText()});
    for (int k = 0; k < 5; ++k)
        WriteKomoku(dataDir, k);
}

void BM_RebuildScheduleFromFiles(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString dataDir = dir.path() + QLatin1Char('/');
    WriteFolder(dataDir);
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
            WriteKomoku(dataDir, k, generation);
    }
}
BENCHMARK(BM_WriteFiveCategories)->Unit(benchmark::kMillisecond);

} // namespace
