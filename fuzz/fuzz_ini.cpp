// The INI reader: any bytes load, and the canonical bytes of what was read load as a document
// whose canonical bytes are the same again.
#include "store/IniFile.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    store::IniFile ini = store::IniFile::FromBytes(bytes);
    const QByteArray canonical = ini.ToBytes();
    const store::IniFile again = store::IniFile::FromBytes(canonical);
    if (again.ToBytes() != canonical)
        std::abort();
    for (const QString& section : ini.Sections()) {
        for (const QString& line : ini.SectionLines(section)) {
            const QString key = line.section(u'=', 0, 0);
            (void)ini.ReadInteger(section, key, 0);
            (void)ini.ReadBool(section, key, false);
            (void)ini.ReadDateTime(section, key);
        }
    }
    // Editing what was read: a key written reads back, a section erased is gone.
    const QStringList sections = ini.Sections();
    if (!sections.isEmpty()) {
        const QString& first = sections.front();
        ini.WriteString(first, QStringLiteral("Fuzz"), QStringLiteral("値"));
        if (ini.ReadString(first, QStringLiteral("Fuzz")) != QStringLiteral("値"))
            std::abort();
        ini.EraseSection(first);
        if (ini.SectionExists(first))
            std::abort();
        (void)ini.ToBytes();
    }
    return 0;
}
