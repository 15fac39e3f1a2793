// Saving the watch-list window with its input checks, the explicit save commands
// and the closing of the window.

#include "watchlist/WatchListPresenter.h"

#include "store/IniFile.h"
#include "store/KomokuRecord.h"
#include "store/PictureMoves.h"
#include "store/Pictures.h"
#include "store/SlotRecord.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"
#include "store/TotalSettings.h"
#include "store/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace watchlist {

using namespace store;

namespace {

// A price cell read for the save: its value, or -1 when it does not read.
int PriceOrMark(const QString& text)
{
    return PriceValue(text).value_or(-1);
}

} // namespace

QString WatchListPresenter::SavedMessage()
{
    return QStringLiteral("保存しました。\rURL欄が未入力のものは保存してありません。");
}

QString WatchListPresenter::SpeakTextMessage()
{
    return QStringLiteral("アラーム時にしゃべる言葉を確認してください。");
}

QString WatchListPresenter::ArarmTimeMessage()
{
    return QStringLiteral("半角の整数を入力してください。");
}

QString WatchListPresenter::CellsMessage()
{
    return QStringLiteral("アラーム時間・予算額などは半角数字で正しく入力してください。");
}

QString WatchListPresenter::YosanMessage()
{
    return QStringLiteral("予算額は半角の整数を入力してください。");
}

QString WatchListPresenter::NyusatugakuMessage()
{
    return QStringLiteral("入札額は半角の整数を入力してください。");
}

QString WatchListPresenter::SaveQuestion()
{
    return QStringLiteral("設定を保存しますか？");
}

bool WatchListPresenter::Save()
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

bool WatchListPresenter::SaveKomoku(int komoku, const QDate& today, QStringList& honmeiLabels)
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
            if (slot.InUse() && slot.PictureExist && QFileInfo::exists(m_parts.File(ImageName(komoku, s)))) {
                slot.PictureFile = m_parts.File(ImageName(komoku, s));
                slot.PictureKey = slot.SlotImage.cacheKey();
            }
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

WatchListPresenter::RowResult WatchListPresenter::SaveRow(int komoku, int row, IniFile& file,
                                                          PictureMoves& pictures, const QDate& today,
                                                          QStringList& honmeiLabels)
{
    Slot& slot = m_parts.Model.SlotAt(komoku, row);
    const auto& cells = slot.Cells;
    const int s = row - 1;
    const QString picture = m_parts.File(ImageName(komoku, s));

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
    record.PictureExist = slot.PictureExist;
    record.Write(file, row);

    if (!slot.PictureExist) {
        pictures.Remove(s);
        return RowResult::Written;
    }
    // Encoding again what a file already holds would lose a little of the picture at every save:
    // a picture unchanged since it was read stays, or is copied from its slot's old number.
    const bool unchanged =
        slot.PictureKey == slot.SlotImage.cacheKey() && QFileInfo::exists(slot.PictureFile);
    if (unchanged && slot.PictureFile == picture)
        return RowResult::Written;
    // Another category's file may already hold another picture when this one is saved.
    if (unchanged && IsImageOf(slot.PictureFile, komoku) && pictures.Copy(s, slot.PictureFile))
        return RowResult::Written;
    return pictures.Write(s, slot.SlotImage) ? RowResult::Written : RowResult::Failed;
}

void WatchListPresenter::WriteFailed(const QString& message)
{
    // A registration's save fails quietly: the registration tells the user itself.
    if (!m_parts.Run.Registering())
        m_parts.Dialogs.showMessage(message);
}

void WatchListPresenter::Refuse(const QString& message, int komoku)
{
    m_parts.Dialogs.showMessage(message);
    m_parts.View.setActivePage(komoku + 1);
    m_parts.View.focusGrid(komoku);
}

void WatchListPresenter::MenuSaveClick()
{
    if (Save())
        m_parts.Dialogs.showMessage(SavedMessage());
}

bool WatchListPresenter::FormCloseQuery()
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

void WatchListPresenter::MenuEndClick()
{
    // A refused save keeps the window open, and the program with it, so that nothing typed is lost.
    if (!FormCloseQuery())
        return;
    m_parts.Resident.EndProgram();
}

} // namespace watchlist
