#include "retrieval/EndedSlotUpdate.h"

#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/SlotRecord.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"
#include "store/WholeFile.h"

#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace retrieval {

// A tray balloon holds at most this many characters.
constexpr qsizetype BalloonTextLimit = 255;

QString CutForBalloon(const QString& text)
{
    if (text.size() <= BalloonTextLimit)
        return text;
    qsizetype length = BalloonTextLimit;
    // Never leave half of a surrogate pair at the end.
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

QString FavouriteSummaryOf(const ScrapeContext& context)
{
    const auto& model = context.Model;
    const int count =
        std::min({model.KomokuCount, static_cast<int>(model.Komokus.size()), context.Schedule.KomokuCount()});
    QStringList labels;
    for (int i = 0; i < count; ++i) {
        const store::Komoku& komoku = model.Komokus[static_cast<size_t>(i)];
        const int row = komoku.HonmeiNo;
        if (row < 1 || row > store::SlotsPerKomoku)
            continue;
        const shell::ScheduleSlot& slot = context.Schedule.At(i, row - 1);
        labels << store::SlotLabel(komoku.Name, row, komoku.Slots[static_cast<size_t>(row - 1)].KakakuText,
                                   slot.Ended, slot.Won, slot.OverBudget);
    }
    return store::FavouriteSummary(labels, false);
}

QString InvalidEndTimeMessage()
{
    return u"終了日時の値が正しくありません。"_s;
}

bool HasSlot(const ScrapeContext& context, int komoku, int row)
{
    return komoku >= 0 && komoku < static_cast<int>(context.Model.Komokus.size()) &&
           komoku < context.Schedule.KomokuCount() && row >= 1 && row <= store::SlotsPerKomoku;
}

QString NoSuchSlotMessage()
{
    return u"その項目にはオークションの欄がありません。"_s;
}

ScrapeResult UpdateEndedSlot(ScrapeContext& context, int komoku, int row)
{
    if (!HasSlot(context, komoku, row))
        return ScrapeResult::Failed(NoSuchSlotMessage());
    auto& model = context.Model;
    store::Slot& slot = model.SlotAt(komoku, row);
    auto& cells = slot.Cells;
    shell::ScheduleSlot& schedule = context.Schedule.At(komoku, row - 1);

    if (!store::IsEnded(cells[store::ColTitle]))
        cells[store::ColTitle] = store::EndedMarker() + cells[store::ColTitle];

    // The folder is not created here: the file is written where it stands.
    store::IniFile ini(context.DataDir + store::SetteiIniName(komoku));
    store::SlotRecord record;
    record.Title = cells[store::ColTitle];
    record.WriteKey(ini, row, store::SlotKey::Title);

    const auto end = store::EncodeEndTime(cells[store::ColMonth], cells[store::ColDay], cells[store::ColHour],
                                          cells[store::ColMinute], context.Now.date());
    if (!end) {
        // The title written so far reaches the file all the same.
        if (!ini.Save())
            return ScrapeResult::Failed(store::WriteFailedMessage(ini.Path(), ini.SaveError()));
        return ScrapeResult::Failed(InvalidEndTimeMessage());
    }
    slot.ShuryoTime = record.ShuryoTime = *end;
    record.Kakaku = cells[store::ColKakaku];
    record.Sokketugaku = cells[store::ColSokketugaku];
    record.Rakusatuhin = schedule.Won;
    for (const store::SlotKey key : {store::SlotKey::ShuryoTime, store::SlotKey::Kakaku,
                                     store::SlotKey::Sokketugaku, store::SlotKey::Rakusatuhin})
        record.WriteKey(ini, row, key);
    if (!ini.Save())
        return ScrapeResult::Failed(store::WriteFailedMessage(ini.Path(), ini.SaveError()));

    schedule.Ended = true;

    if (row == model.Komokus[static_cast<size_t>(komoku)].HonmeiNo)
        context.Tray.SetTrayHint(FavouriteSummaryOf(context));

    if (context.Schedule.Settings.Balloon && !context.StartingUp) {
        QString title = cells[store::ColTitle];
        title.remove(store::EndedMarker());
        const QString text = CutForBalloon(cells[store::ColKakaku] + u"\r\n"_s +
                                           model.Komokus[static_cast<size_t>(komoku)].TabCaption() +
                                           u" No"_s + QString::number(row) + u"-"_s + title);
        context.Tray.ShowBalloon(schedule.Won ? u"落札しました!"_s : u"オークション終了"_s, text);
    }
    return {};
}

} // namespace retrieval
