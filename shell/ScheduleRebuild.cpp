#include "shell/ScheduleRebuild.h"

#include "store/IniFile.h"
#include "store/PictureMoves.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"

namespace shell {

namespace {

using namespace store;

constexpr double MinutesPerDay = 24 * 60;

void ReadSettings(RebuildContext& context, const IniFile& total)
{
    ScheduleSettings& settings = context.Schedule.Settings;
    settings.LeadMinutes = Read(total, total::ArarmTime);
    settings.All = Read(total, total::ArarmAll);
    settings.Speak = Read(total, total::ArarmSpeak);
    settings.Kido = Read(total, total::KakakuKoshinKido);
    settings.Balloon = Read(total, total::KakakuKoshinBalloon);
    settings.Del = Read(total, total::EndAuctionDel);
    settings.NoHyoji = Read(total, total::YosanOverNoHyoji);
    // The window's own count stays: it is the number of pages the window has built.
    if (context.Model) {
        context.Model->CheckBoxKakakuCheckToday_Tomorrow = Read(total, total::KakakuCheckToday_Tomorrow);
    }

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
        const QString section = SlotSection(s + 1);
        ScheduleSlot& slot = context.Schedule.At(komoku, s);
        slot.URL = file.ReadString(section, settei::URL);
        slot.EndAt = file.ReadDateTime(section, settei::ShuryoTime);
        slot.AlarmAt = file.ReadDateTime(section, settei::ArarmTime);
        if (slot.EndAt > 0 && slot.AlarmAt == 0)
            slot.AlarmAt = slot.EndAt - lead;
        slot.Budget = PriceValue(file.ReadString(section, settei::Yosan)).value_or(0);
        if (slot.Budget > 0)
            slot.OverBudget = PriceValue(file.ReadString(section, settei::Kakaku)).value_or(0) > slot.Budget;
        // At start-up the ended flags start clear; the first price check sets them again.
        slot.Ended = !context.StartingUp && IsEnded(file.ReadString(section, settei::Title));
        slot.OwnBid = file.ReadInteger(section, settei::Nyusatugaku, 0);
        slot.Won = file.ReadBool(section, settei::Rakusatuhin, false);
    }
}

} // namespace

void PruneKomokuFile(const QString& dataDir, int komoku, int delDays, double now)
{
    const IniFile old(dataDir + SetteiIniName(komoku));
    if (!old.Existed())
        return;
    IniFile pruned = IniFile::FromBytes({}, old.Path());
    const int honmei = old.ReadInteger(settei::Honmei, settei::No, 0);
    int newHonmei = 0;
    int kept = 0;
    // Pictures follow their slots to the new numbers; dropped slots and the numbers left
    // free lose theirs. They change together with the list, never before it is on disk.
    PictureMoves pictures(dataDir, komoku);
    for (int s = 0; s < SlotsPerKomoku; ++s) {
        const QString section = SlotSection(s + 1);
        const double end = old.ReadDateTime(section, settei::ShuryoTime);
        // A slot without a usable end time goes too.
        if (!(end > 0 && end + delDays >= now))
            continue;
        const QStringList lines = old.SectionLines(section);
        if (!lines.isEmpty())
            pruned.AppendSection(SlotSection(kept + 1), lines);
        if (honmei == s + 1)
            newHonmei = kept + 1;
        if (s != kept && !pictures.Copy(kept, dataDir + ImageName(komoku, s)))
            pictures.Remove(kept);
        ++kept;
    }
    pruned.AppendSection(settei::Honmei, {QStringLiteral("No=%1").arg(newHonmei)});
    pruned.AppendSection(settei::Komoku,
                         {QStringLiteral("Name=") + old.ReadString(settei::Komoku, settei::Name)});
    for (int s = kept; s < SlotsPerKomoku; ++s)
        pictures.Remove(s);
    pictures.Commit(pruned);
}

void RebuildSchedule(RebuildContext& context)
{
    const IniFile total(context.DataDir + TotalIniName());
    if (total.Existed()) {
        ReadSettings(context, total);
        // A stored count of 0 or less leaves the window with its one category, whose
        // status records the save needs (its won marks among them).
        int komokuCount = Read(total, total::KomokuCount);
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
        }
    }
    context.EventLoop.processEvents();
}

} // namespace shell
