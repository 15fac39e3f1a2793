// The watch-list window against its stored files: every show replaces the window's contents
// with them, the save writes them after its input checks, and the close keeps the fetched
// prices and asks about the rest.

#include "watchlist/WatchListStorage.h"

#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/KomokuRecord.h"
#include "store/PictureMoves.h"
#include "store/Pictures.h"
#include "store/PriceTrack.h"
#include "store/SlotRecord.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"
#include "store/TotalSettings.h"
#include "store/WholeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
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

// A price cell read for the save: its value, or -1 when it does not read.
int PriceOrMark(const QString& text)
{
    return PriceValue(text).value_or(-1);
}

} // namespace

QString WatchListStorage::SavedMessage()
{
    return QStringLiteral("保存しました。\rURL欄が未入力のものは保存してありません。");
}

QString WatchListStorage::SpeakTextMessage()
{
    return QStringLiteral("アラーム時にしゃべる言葉を確認してください。");
}

QString WatchListStorage::ArarmTimeMessage()
{
    return QStringLiteral("半角の整数を入力してください。");
}

QString WatchListStorage::CellsMessage()
{
    return QStringLiteral("アラーム時間・予算額などは半角数字で正しく入力してください。");
}

QString WatchListStorage::YosanMessage()
{
    return QStringLiteral("予算額は半角の整数を入力してください。");
}

QString WatchListStorage::NyusatugakuMessage()
{
    return QStringLiteral("入札額は半角の整数を入力してください。");
}

QString WatchListStorage::SaveQuestion()
{
    return QStringLiteral("設定を保存しますか？");
}

void WatchListStorage::Load()
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

QString WatchListStorage::HonmeiLabel(int komoku, int row, bool ended)
{
    const Komoku& category = m_parts.Model.KomokuAt(komoku);
    const shell::SlotStatus& status = m_statuses.Of(komoku, row - 1);
    return SlotLabel(category.Name, row, category.Slots[static_cast<size_t>(row - 1)].KakakuText, ended,
                     status.Won, status.OverBudget);
}

void WatchListStorage::LoadKomoku(int komoku, const IniFile& file)
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
        // A picture that is missing or does not decode leaves the slot without one.
        slot.Picture = QFileInfo::exists(picture) ? SlotPicture::FromFile(picture) : SlotPicture();
        if (slot.Picture.IsNull())
            slot.PictureExist = false;
        // After a start the price history tells when the page was last read.
        TrackSlot(m_parts.Resident.DataDir(), slot);
    }
}

bool WatchListStorage::Save()
{
    WatchListModel& model = m_parts.Model;
    platform::WindowView& view = m_parts.View;
    // Closing the window moves no focus, so a cell's open editor would keep what the user typed.
    view.commitEdits();
    if (!model.SpeakTextChecked) {
        m_parts.Dialogs.showMessage(SpeakTextMessage());
        view.setActivePage(0);
        view.focusSpeechText();
        return false;
    }

    IniFile total(m_parts.File(TotalIniName()));
    // After a category was deleted the stored count drops only once the categories behind it
    // have moved down a number, so that neither a crash in between nor a refused save loses any.
    const std::optional<int> storedCount = TotalSettings::WrittenKomokuCount(total);
    const bool shrinking = total.Existed() && storedCount && model.KomokuCount < *storedCount;
    TotalSettings settings;
    settings.KomokuCount = shrinking ? *storedCount : model.KomokuCount;
    const auto leadTime = CellInteger(model.General.EditArarmTime);
    if (!leadTime) {
        settings.Write(total, TotalKey::KomokuCount);
        total.Save();
        m_parts.Dialogs.showMessage(ArarmTimeMessage());
        view.setActivePage(0);
        view.focusArarmTime();
        return false;
    }
    const GeneralPage& general = model.General;
    settings.ArarmTime = *leadTime;
    settings.All = general.CheckBoxAllArarm;
    settings.Speak = model.Speech.CheckBoxArarmSpeak;
    settings.Kido = general.CheckBoxKakakuKoshin;
    settings.Balloon = general.CheckBoxBalloon;
    settings.Del = general.ComboBoxEndAuctionDel;
    settings.NoHyoji = general.CheckBoxYosanOverNoHyoji;
    settings.KakakuCheckToday_Tomorrow = model.CheckBoxKakakuCheckToday_Tomorrow;
    settings.Write(total);
    QString reason;
    if (!total.Save()) {
        WriteFailed(WriteFailedMessage(total.Path(), total.SaveError()));
        return false;
    }
    if (!WriteSpeakMsg(m_parts.File(SpeakMsgName()), SpeakLinesOf(model.Speech.MemoSpeakText), &reason)) {
        WriteFailed(WriteFailedMessage(m_parts.File(SpeakMsgName()), reason));
        return false;
    }

    if (model.KomokuCount <= 0)
        return false;

    const QDate today = m_parts.Clock.now().date();
    QStringList honmeiLabels;
    m_parts.Resident.SetTrayHint(ProductName());
    const int count = std::min(model.KomokuCount, static_cast<int>(model.Komokus.size()));
    KeepMovedPictures(count);
    for (int k = 0; k < count; ++k) {
        if (!SaveKomoku(k, today, honmeiLabels))
            return false;
    }
    if (shrinking) {
        settings.KomokuCount = model.KomokuCount;
        settings.Write(total, TotalKey::KomokuCount);
        if (!total.Save()) {
            WriteFailed(WriteFailedMessage(total.Path(), total.SaveError()));
            return false;
        }
    }
    for (int n = model.KomokuCount; n < MaxKomokuCount; ++n)
        DeleteKomokuFiles(n);

    model.Saved = true;
    if (!m_parts.Resident.StartingUp())
        m_parts.Resident.RequestRebuild();
    view.render();
    return true;
}

bool WatchListStorage::SaveKomoku(int komoku, const QDate& today, QStringList& honmeiLabels)
{
    WatchListModel& model = m_parts.Model;
    const Komoku& category = model.KomokuAt(komoku);
    IniFile file(m_parts.File(SetteiIniName(komoku)));
    KomokuRecord{category.Name, category.HonmeiNo}.Write(file);

    RowResult result = RowResult::Written;
    PictureMoves pictures(m_parts.Resident.DataDir(), komoku);
    for (int row = 1; row <= SlotsPerKomoku && result == RowResult::Written; ++row)
        result = SaveRow(komoku, row, file, pictures, today, honmeiLabels);
    // What was written before a refused row is kept, as if each key had gone to disk at once.
    const bool written = pictures.Commit(file);
    if (written) {
        // The slots' pictures now stand under their own numbers.
        for (int s = 0; s < SlotsPerKomoku; ++s) {
            Slot& slot = model.SlotAt(komoku, s + 1);
            if (slot.InUse() && slot.PictureExist && QFileInfo::exists(m_parts.File(ImageName(komoku, s))))
                slot.Picture.StoredIn(m_parts.File(ImageName(komoku, s)));
        }
    }
    if (result == RowResult::Refused)
        return false;
    // A cell that does not encode is the user's to mend; a file that cannot be written is the disk's.
    if (result == RowResult::Failed) {
        WriteFailed(CellsMessage());
        return false;
    }
    if (!written) {
        WriteFailed(pictures.Failure());
        return false;
    }
    m_parts.Resident.SetTrayHint(FavouriteSummary(honmeiLabels, true));
    if (model.ActivePage == komoku + 1)
        m_parts.View.repaintGrid(komoku);
    return true;
}

WatchListStorage::RowResult WatchListStorage::SaveRow(int komoku, int row, IniFile& file,
                                                      PictureMoves& pictures, const QDate& today,
                                                      QStringList& honmeiLabels)
{
    Slot& slot = m_parts.Model.SlotAt(komoku, row);
    const auto& cells = slot.Cells;
    const int s = row - 1;

    if (!slot.InUse()) {
        EraseSlot(file, row);
        pictures.Remove(s);
        return RowResult::Written;
    }

    // The keys go into the file in their order, the checks between them: a check that stops the
    // save leaves the keys before it written.
    SlotRecord record;
    record.Title = cells[ColTitle];
    double shuryoTime = 0;
    if (!cells[ColMonth].isEmpty() && !cells[ColDay].isEmpty() && !cells[ColHour].isEmpty() &&
        !cells[ColMinute].isEmpty()) {
        const auto end =
            EncodeEndTime(cells[ColMonth], cells[ColDay], cells[ColHour], cells[ColMinute], today);
        if (!end) {
            record.Write(file, row, SlotKey::Title);
            return RowResult::Failed;
        }
        shuryoTime = *end;
    }
    slot.ShuryoTime = record.ShuryoTime = shuryoTime;
    record.URL = cells[ColURL];

    double ararmTime = 0;
    if (!cells[ColArarmHour].isEmpty() && !cells[ColArarmMinute].isEmpty()) {
        const auto alarm = EncodeAlarmTime(cells[ColMonth], cells[ColDay], cells[ColHour],
                                           cells[ColArarmHour], cells[ColArarmMinute], today);
        if (!alarm) {
            record.Write(file, row, SlotKey::URL);
            return RowResult::Failed;
        }
        ararmTime = *alarm;
    }
    slot.ArarmTime = record.ArarmTime = ararmTime;
    record.Kakaku = cells[ColKakaku];

    shell::SlotStatus& status = m_statuses.Of(komoku, s);
    if (!cells[ColYosan].isEmpty()) {
        const int budget = PriceOrMark(cells[ColYosan]);
        if (budget == -1) {
            record.Write(file, row, SlotKey::Kakaku);
            Refuse(YosanMessage(), komoku);
            return RowResult::Refused;
        }
        status.OverBudget = budget < PriceValue(slot.KakakuText).value_or(0);
    }
    record.Yosan = cells[ColYosan];

    if (row == m_parts.Model.KomokuAt(komoku).HonmeiNo)
        honmeiLabels << HonmeiLabel(komoku, row, IsEnded(cells[ColTitle]));

    record.Sokketugaku = cells[ColSokketugaku];
    record.Nyusatu = cells[ColNyusatu];

    int ownBid = 0;
    if (!cells[ColNyusatugaku].isEmpty()) {
        ownBid = PriceOrMark(cells[ColNyusatugaku]);
        if (ownBid == -1) {
            record.Write(file, row, SlotKey::Nyusatu);
            Refuse(NyusatugakuMessage(), komoku);
            return RowResult::Refused;
        }
    }
    status.OwnBid = record.Nyusatugaku = ownBid;
    record.Rakusatuhin = status.Won;
    record.Option = cells[ColOption];
    // A picture whose file went away meanwhile is gone, as it would be at a load.
    if (slot.PictureExist && !slot.Picture.Pending() && !QFileInfo::exists(slot.Picture.File())) {
        slot.PictureExist = false;
        slot.Picture = SlotPicture();
    }
    record.PictureExist = slot.PictureExist;
    record.Write(file, row);
    return SavePicture(slot, komoku, s, pictures) ? RowResult::Written : RowResult::Failed;
}

bool WatchListStorage::SavePicture(const Slot& slot, int komoku, int s, PictureMoves& pictures)
{
    if (!slot.PictureExist) {
        pictures.Remove(s);
        return true;
    }
    // Encoding again what a file already holds would lose a little of the picture at every save:
    // a picture unchanged since it was read stays, or is copied from its slot's old number.
    const SlotPicture& stored = slot.Picture;
    if (!stored.Pending() && QFileInfo::exists(stored.File())) {
        if (stored.File() == m_parts.File(ImageName(komoku, s)))
            return true;
        if (IsImageOf(stored.File(), komoku) && pictures.Copy(s, stored.File()))
            return true;
    }
    return pictures.Write(s, stored.JpegBytes());
}

void WatchListStorage::KeepMovedPictures(int count)
{
    // A picture whose file belongs to another category (a slot moved over, the categories behind
    // a deleted one moved down) is read now: that category's save may replace the file first.
    for (int k = 0; k < count; ++k)
        for (Slot& slot : m_parts.Model.KomokuAt(k).Slots)
            if (slot.InUse() && slot.PictureExist && !slot.Picture.Pending() &&
                !IsImageOf(slot.Picture.File(), k))
                slot.Picture.KeepBytes();
}

void WatchListStorage::WriteFailed(const QString& message)
{
    // A registration's save fails quietly: the registration tells the user itself.
    if (!m_parts.Run.Registering())
        m_parts.Dialogs.showMessage(message);
}

void WatchListStorage::Refuse(const QString& message, int komoku)
{
    m_parts.Dialogs.showMessage(message);
    m_parts.View.setActivePage(komoku + 1);
    m_parts.View.focusGrid(komoku);
}

void WatchListStorage::DeleteKomokuFiles(int komoku) const
{
    for (int s = 0; s < SlotsPerKomoku; ++s)
        QFile::remove(m_parts.File(ImageName(komoku, s)));
    QFile::remove(m_parts.File(SetteiIniName(komoku)));
}

void WatchListStorage::SaveAndTell()
{
    if (Save())
        m_parts.Dialogs.showMessage(SavedMessage());
}

bool WatchListStorage::Close()
{
    WatchListModel& model = m_parts.Model;
    ResidentSide& resident = m_parts.Resident;
    // What is typed into a cell whose editor is still open counts as a change to be saved.
    m_parts.View.commitEdits();
    // A pass or a registration in flight ends with the window: the prices it would bring are
    // left to the next check, and nothing changes the cells while the close stores them.
    m_parts.Run.Stop();
    const auto close = [&] {
        resident.WatchListClosed();
        m_parts.View.hideWindow();
        return true;
    };
    if (model.KomokuCount == 0)
        return close();
    model.KakakuCheckButtonCaption = KakakuCheckStopCaption();
    QDir().mkpath(resident.DataDir());

    // The prices fetched while the window was open are kept whatever the answer below.
    const int count = std::min(model.KomokuCount, static_cast<int>(model.Komokus.size()));
    for (int k = 0; k < count; ++k) {
        IniFile file(m_parts.File(SetteiIniName(k)));
        if (!file.Existed())
            continue;
        for (int row = 1; row <= SlotsPerKomoku; ++row) {
            if (SlotStored(file, row)) {
                SlotRecord record;
                record.Kakaku = model.SlotAt(k, row).Cells[ColKakaku];
                record.WriteKey(file, row, SlotKey::Kakaku);
            } else {
                EraseSlot(file, row);
            }
        }
        if (file.IsModified())
            file.Save();
    }
    m_parts.View.render();

    if (model.Saved || !m_parts.Dialogs.askYesNo(SaveQuestion(), {}, platform::MessageIcon::Question, false))
        return close();
    if (Save() && model.Saved)
        return close();
    return false;
}

} // namespace watchlist
