#pragma once

#include "store/IniFile.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace store {

// The pictures that change with one save of a category file "Settei<k>.ini". A picture's
// name is its slot's number, so a list and its pictures cannot be replaced in one step.
// Commit stages every new picture as "Image<k>_<s>.jpg.mv<tag>" beside its final name (an
// empty one where the picture goes), replaces the list, and only then renames the staged
// files over their final names. The tag is taken from the new list's bytes: after a crash
// FinishPictureMoves puts the staged pictures in place when the list on disk is the one
// they belong to, and drops them when it is still the old one.
class PictureMoves final {
public:
    PictureMoves(QString dataDir, int komoku);

    // Slot s takes the picture that is now in the file at path (read at once).
    bool Copy(int slot, const QString& path);
    // Slot s takes the JPEG bytes. False when there are none.
    bool Write(int slot, const QByteArray& jpeg);
    // Slot s has no picture file after the commit.
    void Remove(int slot);

    // Saves the list with its pictures. False when the list could not be saved; the
    // list and its pictures on disk are then as they were, and Failure tells the user why.
    bool Commit(IniFile& list);
    const QString& Failure() const { return m_failure; }

private:
    struct Change {
        int slot;
        QByteArray bytes; // empty: the picture goes
    };
    QString m_dataDir;
    int m_komoku;
    std::vector<Change> m_changes;
    QString m_failure;
};

// The start-up tidying of the data folder: staged pictures of an interrupted save are put in
// place or dropped, and the temporary files an interrupted atomic write left beside the
// program's own files ("Total.ini.AbC123") are removed. Other files are never touched.
void FinishPictureMoves(const QString& dataDir);

} // namespace store
