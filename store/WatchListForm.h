#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/WindowView.h"
#include "store/ResidentSide.h"
#include "store/WatchListModel.h"

#include <QDate>
#include <QString>

namespace store {

class IniFile;

// The behaviour of the watch-list window: its category pages, the general page's
// change handlers, the load on every show, the save with its input checks, and the
// closing of the window. The widgets render the model and forward events here.
class WatchListForm final {
public:
    struct Parts {
        WatchListModel& Model;
        ResidentSide& Resident;
        platform::WindowView& View;
        platform::Dialogs& Dialogs;
        platform::Clock& Clock;
    };

    explicit WatchListForm(Parts parts) : m_parts(parts) {}

    // Builds the categories the stored count asks for; on a first start saves at once.
    void FormCreate();
    void BtnAddKomokuClick();
    void BtnTabDelClick(int komoku);
    void EditKomokuChange(int komoku, const QString& text);
    // The user picked a page (0 is the general page).
    void PageControl1Change(int page);
    void TabSheetAuctionShow(int komoku);
    void TabSheetSetteiShow();

    // Every show: the stored watch list replaces the window's contents.
    void FormShow();

    // Writes the window's state to the stored files; false when a check refused it
    // (the user has been told, unless a registration is running).
    bool Save();
    // "保存(&S)" and "OK".
    void MenuSaveClick();
    // The user closes the window; false when it must stay open.
    bool FormCloseQuery();
    // "終了(&E)" of the window.
    void MenuEndClick();

    // The general page's change handlers.
    void EditArarmTimeChange(const QString& text);
    // Any of the five check boxes or the removal choice; the new value is in the model.
    void CheckBoxAllArarmClick();

    // A cell edited in place (row 1 to 10, column 1 to 14).
    void GridCellEdited(int komoku, int row, int column, const QString& text);

    static QString SavedMessage();
    static QString SpeakTextMessage();
    static QString ArarmTimeMessage();
    static QString CellsMessage();
    static QString YosanMessage();
    static QString NyusatugakuMessage();
    static QString SaveQuestion();
    static QString TabDelQuestion(const QString& caption);

private:
    enum class RowResult { Written, Refused, Failed };

    void AddKomokuPage();
    void DeleteKomokuFiles(int komoku) const;
    void LoadKomoku(int komoku, const IniFile& file);
    bool SaveKomoku(int komoku, const QDate& today, QString& hint);
    RowResult SaveRow(int komoku, int row, IniFile& file, const QDate& today, QString& hint);
    void AddHonmeiLabel(QString& hint, int komoku, int row, bool ended);
    // A refused cell: the message, the category's page and the focus on its grid.
    void Refuse(const QString& message, int komoku);
    SlotStatus& StatusOf(int komoku, int slot);
    QString File(const QString& name) const;

    Parts m_parts;
    // Stands in for a status record the schedule does not have yet.
    SlotStatus m_spareStatus;
};

} // namespace store
