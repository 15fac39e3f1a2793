// Every show of the watch-list window replaces its contents with the stored files.

#include "watchlist/WatchListPresenter.h"

#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/KomokuRecord.h"
#include "store/Pictures.h"
#include "store/SlotRecord.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"
#include "store/TotalSettings.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>

namespace watchlist {

using namespace store;

namespace {

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

void SetSpeakTextChecked(WatchListModel& model)
{
    model.SpeakTextChecked = true;
    model.Speech.MemoSpeakTextColor = SpeakTextColor::White;
}

} // namespace

void WatchListPresenter::FormShow()
{
    WatchListModel& model = m_parts.Model;
    ResidentSide& resident = m_parts.Resident;
    model.WindowReady = false;
    resident.StopMonitor();

    const IniFile total(m_parts.File(TotalIniName()));
    if (total.Existed()) {
        const TotalSettings stored = TotalSettings::Read(total);
        GeneralPage& general = model.General;
        general.EditArarmTime = QString::number(stored.ArarmTime);
        general.CheckBoxAllArarm = stored.All;
        general.CheckBoxYosanOverNoHyoji = stored.NoHyoji;
        model.Speech.CheckBoxArarmSpeak = stored.Speak;
        general.CheckBoxKakakuKoshin = stored.Kido;
        general.CheckBoxBalloon = stored.Balloon;
        general.ComboBoxEndAuctionDel = stored.Del;
        if (const auto lines = ReadSpeakMsg(m_parts.File(SpeakMsgName()))) {
            model.Speech.MemoSpeakText = SpeakTextOf(*lines);
            if (model.Speech.MemoSpeakText.isEmpty())
                model.Speech.CheckBoxArarmSpeak = false;
        }
        model.CheckBoxKakakuCheckToday_Tomorrow = stored.KakakuCheckToday_Tomorrow;

        if (model.KomokuCount > 0) {
            resident.SetTrayHint(ProductName());
            QStringList labels;
            const int count = std::min(model.KomokuCount, static_cast<int>(model.Komokus.size()));
            for (int k = 0; k < count; ++k) {
                const IniFile file(m_parts.File(SetteiIniName(k)));
                if (!file.Existed())
                    continue;
                LoadKomoku(k, file);
                const int row = model.KomokuAt(k).HonmeiNo;
                if (row >= 1 && row <= SlotsPerKomoku)
                    labels << HonmeiLabel(k, row, m_statuses.Of(k, row - 1).Ended);
            }
            resident.SetTrayHint(FavouriteSummary(labels, true));
        }
    }

    resident.StartMonitor();
    model.WindowReady = true;
    model.Saved = true;
    SetSpeakTextChecked(model);
    if (!resident.KakakuChanged()) {
        model.KakakuCheckRequest = true;
        model.ActivePage = 0;
        model.LabelMsgNotice.clear();
        m_parts.View.render();
        m_parts.View.setActivePage(0);
    }
    model.SelRow = 1;
    m_parts.View.render();
}

QString WatchListPresenter::HonmeiLabel(int komoku, int row, bool ended)
{
    const Komoku& category = m_parts.Model.KomokuAt(komoku);
    const shell::SlotStatus& status = m_statuses.Of(komoku, row - 1);
    return SlotLabel(category.Name, row, category.Slots[static_cast<size_t>(row - 1)].KakakuText, ended,
                     status.Won, status.OverBudget);
}

void WatchListPresenter::LoadKomoku(int komoku, const IniFile& file)
{
    WatchListModel& model = m_parts.Model;
    Komoku& category = model.KomokuAt(komoku);
    const KomokuRecord header = KomokuRecord::Read(file);
    // The name edit's change handler sets the caption only when the text changes.
    if (header.Name != category.Name) {
        category.Name = header.Name;
        category.AddedUnnamed = false;
    }
    category.HonmeiNo = header.HonmeiNo;
    const bool storedPrices = m_parts.Resident.StartingUp() && !m_parts.Resident.KakakuChanged();

    for (int row = 1; row <= SlotsPerKomoku; ++row) {
        const SlotRecord stored = SlotRecord::Read(file, row);
        Slot& slot = category.Slots[static_cast<size_t>(row - 1)];
        auto& cells = slot.Cells;
        cells[ColTitle] = stored.Title;

        slot.ShuryoTime = stored.ShuryoTime;
        if (slot.ShuryoTime != 0) {
            const QDateTime end = FromDayCount(slot.ShuryoTime);
            cells[ColMonth] = TwoDigits(end.date().month());
            cells[ColDay] = TwoDigits(end.date().day());
            cells[ColHour] = TwoDigits(end.time().hour());
            cells[ColMinute] = TwoDigits(end.time().minute());
        } else {
            cells[ColMonth].clear();
            cells[ColDay].clear();
            cells[ColHour].clear();
            cells[ColMinute].clear();
        }
        if (storedPrices)
            cells[ColKakaku] = stored.Kakaku;
        slot.KakakuText = cells[ColKakaku];

        cells[ColURL] = stored.URL;

        slot.ArarmTime = stored.ArarmTime;
        if (slot.ArarmTime != 0) {
            const QTime alarm = FromDayCount(slot.ArarmTime).time();
            cells[ColArarmHour] = QString::number(alarm.hour());
            cells[ColArarmMinute] = QString::number(alarm.minute());
        } else {
            cells[ColArarmHour].clear();
            cells[ColArarmMinute].clear();
        }
        cells[ColYosan] = stored.Yosan;
        cells[ColSokketugaku] = stored.Sokketugaku;
        if (!cells[ColSokketugaku].isEmpty() && cells[ColSokketugaku] == cells[ColKakaku])
            slot.SokketuEnd = true;
        cells[ColNyusatu] = stored.Nyusatu;
        cells[ColNyusatugaku] =
            stored.Nyusatugaku < 1 ? QString() : QString::number(stored.Nyusatugaku) + QStringLiteral("円");
        cells[ColOption] = stored.Option;

        slot.PictureExist = stored.PictureExist;
        const QString picture = m_parts.File(ImageName(komoku, row - 1));
        if (QFileInfo::exists(picture)) {
            // A picture that does not decode leaves the slot without one.
            slot.SlotImage = ReadPictureFile(picture);
            if (slot.SlotImage.isNull()) {
                slot.PictureExist = false;
                slot.PictureFile.clear();
            } else {
                slot.PictureFile = picture;
                slot.PictureKey = slot.SlotImage.cacheKey();
            }
        } else {
            slot.PictureExist = false;
        }
    }
}

} // namespace watchlist
