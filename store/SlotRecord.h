#pragma once

#include "store/IniFile.h"

#include <QString>
#include <QStringList>

namespace store {

// The keys of a slot's section of "Settei<k>.ini", in the order a save writes them.
enum class SlotKey {
    Title,
    ShuryoTime,
    URL,
    ArarmTime,
    Kakaku,
    Yosan,
    Sokketugaku,
    Nyusatu,
    Nyusatugaku,
    Rakusatuhin,
    Option,
    PictureExist,
};

// One slot's section of a category file, the section named by its row (1 to 10): the one
// reader and writer of those keys. A missing key reads as its default; a date-time that does
// not read is 0.
struct SlotRecord {
    QString Title;
    double ShuryoTime = 0;
    QString URL;
    double ArarmTime = 0;
    QString Kakaku;
    QString Yosan;
    QString Sokketugaku;
    QString Nyusatu;
    int Nyusatugaku = 0;
    bool Rakusatuhin = false;
    QString Option;
    bool PictureExist = false;

    static SlotRecord Read(const IniFile& file, int row);
    // Writes the keys from Title through `last`, in their order: a save that stops at a check
    // leaves the keys before it written.
    void Write(IniFile& file, int row, SlotKey last = SlotKey::PictureExist) const;
    // Writes one key only, as a check or an update of the slot does.
    void WriteKey(IniFile& file, int row, SlotKey key) const;
};

// Whether row's section holds a slot, that is has its URL key.
bool SlotStored(const IniFile& file, int row);
// Removes row's section, when there is one.
void EraseSlot(IniFile& file, int row);
// Removes one key of row's section, when it is there.
void DeleteSlotKey(IniFile& file, int row, SlotKey key);
// The key=value lines of row's section as they stand, in their order.
QStringList SlotLines(const IniFile& file, int row);
// Appends those lines as the section of another row (a file rewritten line by line).
void AppendSlotLines(IniFile& file, int row, const QStringList& lines);

} // namespace store
