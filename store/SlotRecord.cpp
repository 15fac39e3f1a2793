#include "store/SlotRecord.h"

#include "store/StoredFiles.h"

namespace store {

namespace {

QLatin1StringView KeyName(SlotKey key)
{
    switch (key) {
    case SlotKey::Title:
        return settei::Title;
    case SlotKey::ShuryoTime:
        return settei::ShuryoTime;
    case SlotKey::URL:
        return settei::URL;
    case SlotKey::ArarmTime:
        return settei::ArarmTime;
    case SlotKey::Kakaku:
        return settei::Kakaku;
    case SlotKey::Yosan:
        return settei::Yosan;
    case SlotKey::Sokketugaku:
        return settei::Sokketugaku;
    case SlotKey::Nyusatu:
        return settei::Nyusatu;
    case SlotKey::Nyusatugaku:
        return settei::Nyusatugaku;
    case SlotKey::Rakusatuhin:
        return settei::Rakusatuhin;
    case SlotKey::Option:
        return settei::Option;
    case SlotKey::PictureExist:
        return settei::PictureExist;
    }
    return settei::Title;
}

} // namespace

SlotRecord SlotRecord::Read(const IniFile& file, int row)
{
    const QString section = SlotSection(row);
    SlotRecord record;
    record.Title = file.ReadString(section, settei::Title);
    record.ShuryoTime = file.ReadDateTime(section, settei::ShuryoTime);
    record.URL = file.ReadString(section, settei::URL);
    record.ArarmTime = file.ReadDateTime(section, settei::ArarmTime);
    record.Kakaku = file.ReadString(section, settei::Kakaku);
    record.Yosan = file.ReadString(section, settei::Yosan);
    record.Sokketugaku = file.ReadString(section, settei::Sokketugaku);
    record.Nyusatu = file.ReadString(section, settei::Nyusatu);
    record.Nyusatugaku = file.ReadInteger(section, settei::Nyusatugaku, 0);
    record.Rakusatuhin = file.ReadBool(section, settei::Rakusatuhin, false);
    record.Option = file.ReadString(section, settei::Option);
    record.PictureExist = file.ReadBool(section, settei::PictureExist, false);
    return record;
}

void SlotRecord::WriteKey(IniFile& file, int row, SlotKey key) const
{
    const QString section = SlotSection(row);
    const QLatin1StringView name = KeyName(key);
    switch (key) {
    case SlotKey::ShuryoTime:
        file.WriteDateTime(section, name, ShuryoTime);
        return;
    case SlotKey::ArarmTime:
        file.WriteDateTime(section, name, ArarmTime);
        return;
    case SlotKey::Nyusatugaku:
        file.WriteInteger(section, name, Nyusatugaku);
        return;
    case SlotKey::Rakusatuhin:
        file.WriteBool(section, name, Rakusatuhin);
        return;
    case SlotKey::PictureExist:
        file.WriteBool(section, name, PictureExist);
        return;
    case SlotKey::Title:
        file.WriteString(section, name, Title);
        return;
    case SlotKey::URL:
        file.WriteString(section, name, URL);
        return;
    case SlotKey::Kakaku:
        file.WriteString(section, name, Kakaku);
        return;
    case SlotKey::Yosan:
        file.WriteString(section, name, Yosan);
        return;
    case SlotKey::Sokketugaku:
        file.WriteString(section, name, Sokketugaku);
        return;
    case SlotKey::Nyusatu:
        file.WriteString(section, name, Nyusatu);
        return;
    case SlotKey::Option:
        file.WriteString(section, name, Option);
        return;
    }
}

void SlotRecord::Write(IniFile& file, int row, SlotKey last) const
{
    for (int key = static_cast<int>(SlotKey::Title); key <= static_cast<int>(last); ++key)
        WriteKey(file, row, static_cast<SlotKey>(key));
}

bool SlotStored(const IniFile& file, int row)
{
    return file.ValueExists(SlotSection(row), settei::URL);
}

void EraseSlot(IniFile& file, int row)
{
    file.EraseSection(SlotSection(row));
}

void DeleteSlotKey(IniFile& file, int row, SlotKey key)
{
    if (file.ValueExists(SlotSection(row), KeyName(key)))
        file.DeleteKey(SlotSection(row), KeyName(key));
}

QStringList SlotLines(const IniFile& file, int row)
{
    return file.SectionLines(SlotSection(row));
}

void AppendSlotLines(IniFile& file, int row, const QStringList& lines)
{
    file.AppendSection(SlotSection(row), lines);
}

} // namespace store
