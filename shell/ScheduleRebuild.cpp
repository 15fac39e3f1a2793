#include "shell/ScheduleRebuild.h"

#include "store/IniFile.h"
#include "store/KomokuRecord.h"
#include "store/PictureMoves.h"
#include "store/PriceHistory.h"
#include "store/SlotRecord.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"
#include "store/TotalSettings.h"

namespace shell {

namespace {

using namespace store;

constexpr double MinutesPerDay = 24 * 60;

void ReadSettings(RebuildContext& context, const TotalSettings& stored)
{
    ScheduleSettings& settings = context.Schedule.Settings;
    settings.LeadMinutes = stored.ArarmTime;
    settings.All = stored.All;
    settings.Speak = stored.Speak;
    settings.Kido = stored.Kido;
    settings.Balloon = stored.Balloon;
    settings.Del = stored.Del;
    settings.NoHyoji = stored.NoHyoji;
    // The window's own count stays: it is the number of pages the window has built.
    if (context.Model)
        context.Model->CheckBoxKakakuCheckToday_Tomorrow = stored.KakakuCheckToday_Tomorrow;

    // The sentence is read only while speech is on; without one, speech stays off
    // for the monitor and the last sentence is kept.
    if (settings.Speak) {
        const auto lines = ReadSpeakMsg(context.DataDir + SpeakMsgName());
        const QString text = lines ? JoinSpeakText(*lines) : QString();
        if (text.isEmpty())
            settings.Speak = false;
        else
            settings.SpeakText = text;
    }
}

void Resize(RebuildContext& context, int komokuCount)
{
    const auto size = static_cast<size_t>(komokuCount);
    context.Schedule.Komoku.resize(size);
    context.Alarms.resize(size);
}

void LoadKomoku(RebuildContext& context, int komoku, const IniFile& file)
{
    context.Alarms[static_cast<size_t>(komoku)].Latch = false;
    const double lead = context.Schedule.Settings.LeadMinutes / MinutesPerDay;
    for (int s = 0; s < SlotsPerKomoku; ++s) {
        const SlotRecord stored = SlotRecord::Read(file, s + 1);
        ScheduleSlot& slot = context.Schedule.At(komoku, s);
        slot.URL = stored.URL;
        slot.EndAt = stored.ShuryoTime;
        slot.AlarmAt = stored.ArarmTime;
        if (slot.EndAt > 0 && slot.AlarmAt == 0)
            slot.AlarmAt = slot.EndAt - lead;
        slot.Budget = PriceValue(stored.Yosan).value_or(0);
        if (slot.Budget > 0)
            slot.OverBudget = PriceValue(stored.Kakaku).value_or(0) > slot.Budget;
        // At start-up the ended flags start clear; the first price check sets them again.
        slot.Ended = !context.StartingUp && IsEnded(stored.Title);
        slot.OwnBid = stored.Nyusatugaku;
        slot.Won = stored.Rakusatuhin;
    }
}

} // namespace

void PruneKakakuRireki(const QString& dataDir)
{
    QSet<QString> held;
    for (int k = 0; k < MaxKomokuCount; ++k) {
        const QString path = dataDir + SetteiIniName(k);
        // A category file that is there but cannot be read may hold any auction.
        if (!IsReadableOrMissing(path))
            return;
        const IniFile file(path);
        for (int s = 0; s < SlotsPerKomoku; ++s) {
            if (const auto id = AuctionIdOf(SlotRecord::Read(file, s + 1).URL))
                held.insert(*id);
        }
    }
    PrunePriceHistory(dataDir, held);
}

void PruneKomokuFile(const QString& dataDir, int komoku, int delDays, double now)
{
    const IniFile old(dataDir + SetteiIniName(komoku));
    if (!old.Existed())
        return;
    IniFile pruned = IniFile::FromBytes({}, old.Path());
    const KomokuRecord header = KomokuRecord::Read(old);
    KomokuRecord prunedHeader{header.Name, 0};
    int kept = 0;
    // Pictures follow their slots to the new numbers; dropped slots and the numbers left
    // free lose theirs. They change together with the list, never before it is on disk.
    PictureMoves pictures(dataDir, komoku);
    for (int s = 0; s < SlotsPerKomoku; ++s) {
        const double end = SlotRecord::Read(old, s + 1).ShuryoTime;
        // A slot without a usable end time goes too.
        if (!(end > 0 && end + delDays >= now))
            continue;
        const QStringList lines = SlotLines(old, s + 1);
        if (!lines.isEmpty())
            AppendSlotLines(pruned, kept + 1, lines);
        if (header.HonmeiNo == s + 1)
            prunedHeader.HonmeiNo = kept + 1;
        if (s != kept && !pictures.Copy(kept, dataDir + ImageName(komoku, s)))
            pictures.Remove(kept);
        ++kept;
    }
    prunedHeader.Append(pruned);
    for (int s = kept; s < SlotsPerKomoku; ++s)
        pictures.Remove(s);
    pictures.Commit(pruned);
}

void RebuildSchedule(RebuildContext& context)
{
    const IniFile total(context.DataDir + TotalIniName());
    if (total.Existed()) {
        const TotalSettings stored = TotalSettings::Read(total);
        ReadSettings(context, stored);
        // A stored count of 0 or less leaves the window with its one category, whose
        // status records the save needs (its won marks among them).
        int komokuCount = stored.KomokuCount;
        if (komokuCount <= 0 && context.Model)
            komokuCount = context.Model->KomokuCount;
        if (komokuCount > 0) {
            Resize(context, komokuCount);
            const int del = context.Schedule.Settings.Del;
            for (int k = 0; k < komokuCount; ++k) {
                // The prune leaves a missing file alone; a folder of that name or an
                // unreadable file counts as missing too, as IniFile reports it.
                if (context.StartingUp && del > 0)
                    PruneKomokuFile(context.DataDir, k, del, context.Now);
                const IniFile file(context.DataDir + SetteiIniName(k));
                if (!file.Existed())
                    continue;
                LoadKomoku(context, k, file);
            }
            if (context.StartingUp)
                PruneKakakuRireki(context.DataDir);
        }
    }
    context.EventLoop.processEvents();
}

} // namespace shell
