#pragma once

#include "store/WatchListModel.h"
#include "watchlist/PresenterParts.h"
#include "watchlist/SlotStatuses.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace store {
class IniFile;
class PictureMoves;
} // namespace store

namespace watchlist {

// The watch-list window against its stored files: the load on every show, the save with its
// input checks, and the close, which keeps the fetched prices and asks whether to save the rest.
class WatchListStorage final {
public:
    WatchListStorage(PresenterParts parts, SlotStatuses& statuses) : m_parts(parts), m_statuses(statuses) {}

    // The stored watch list replaces the window's contents.
    void Load();
    // Writes the window's state to the stored files; false when a check refused it
    // (the user has been told, unless a registration is running).
    bool Save();
    // Saves and tells the user so.
    void SaveAndTell();
    // The user closes the window; false when it must stay open.
    bool Close();

    // The tray hint's label of category komoku's favourite row.
    QString HonmeiLabel(int komoku, int row, bool ended);

    static QString SavedMessage();
    static QString SpeakTextMessage();
    static QString ArarmTimeMessage();
    static QString CellsMessage();
    static QString YosanMessage();
    static QString NyusatugakuMessage();
    static QString SaveQuestion();

private:
    enum class RowResult { Written, Refused, Failed };

    void LoadKomoku(int komoku, const store::IniFile& file);
    bool SaveKomoku(int komoku, const QDate& today, QStringList& honmeiLabels);
    RowResult SaveRow(int komoku, int row, store::IniFile& file, store::PictureMoves& pictures,
                      const QDate& today, QStringList& honmeiLabels);
    // The picture file of a saved slot: kept, copied, written anew or removed.
    bool SavePicture(const store::Slot& slot, int komoku, int s, store::PictureMoves& pictures);
    void DeleteKomokuFiles(int komoku) const;
    void KeepMovedPictures(int count);
    // A refused cell: the message, the category's page and the focus on its grid.
    void Refuse(const QString& message, int komoku);
    // The save stopped at an error: the user is told, unless a registration saves.
    void WriteFailed(const QString& message);

    PresenterParts m_parts;
    SlotStatuses& m_statuses;
};

} // namespace watchlist
