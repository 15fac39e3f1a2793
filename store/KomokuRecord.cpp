#include "store/KomokuRecord.h"

#include "store/StoredFiles.h"

namespace store {

KomokuRecord KomokuRecord::Read(const IniFile& file)
{
    return {file.ReadString(settei::Komoku, settei::Name), file.ReadInteger(settei::Honmei, settei::No, 0)};
}

void KomokuRecord::Write(IniFile& file) const
{
    file.WriteString(settei::Komoku, settei::Name, Name);
    WriteHonmei(file);
}

void KomokuRecord::WriteHonmei(IniFile& file) const
{
    file.WriteInteger(settei::Honmei, settei::No, HonmeiNo);
}

void KomokuRecord::Append(IniFile& file) const
{
    file.AppendSection(settei::Honmei, {QStringLiteral("No=%1").arg(HonmeiNo)});
    file.AppendSection(settei::Komoku, {QStringLiteral("Name=") + Name});
}

} // namespace store
