#pragma once

#include "store/IniFile.h"

#include <QString>

namespace store {

// The two sections of a category file beside its slots: the category's name ("[Komoku]") and its
// favourite's row ("[Honmei]", 0 for none). The one reader and writer of those keys.
struct KomokuRecord {
    QString Name;
    int HonmeiNo = 0;

    static KomokuRecord Read(const IniFile& file);
    // Both, in the order a save writes them.
    void Write(IniFile& file) const;
    void WriteHonmei(IniFile& file) const;
    // The sections as a file rewritten line by line ends with them: [Honmei], then [Komoku].
    void Append(IniFile& file) const;
};

} // namespace store
