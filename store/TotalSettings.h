#pragma once

#include "store/IniFile.h"

#include <optional>

namespace store {

// The settings of "Total.ini", in the order a save writes them.
enum class TotalKey {
    KomokuCount,
    ArarmTime,
    ArarmAll,
    ArarmSpeak,
    KakakuKoshinKido,
    KakakuKoshinBalloon,
    EndAuctionDel,
    YosanOverNoHyoji,
    KakakuCheckToday_Tomorrow,
};

// What "Total.ini" holds: the one reader and writer of its keys, each read with its declared
// default and range (StoredFiles.h).
struct TotalSettings {
    int KomokuCount;
    // The default alarm lead time, in minutes before the end.
    int ArarmTime;
    bool All;
    bool Speak;
    bool Kido;
    bool Balloon;
    // Days after the end before an ended auction is removed at start-up; 0 is never.
    int Del;
    bool NoHyoji;
    bool KakakuCheckToday_Tomorrow;

    // The defaults, as a first start stores them.
    TotalSettings();
    static TotalSettings Read(const IniFile& file);
    // The category count as the file holds it, when the window could have written it (0 to 5):
    // one beyond the pages is no count of stored categories.
    static std::optional<int> WrittenKomokuCount(const IniFile& file);
    // Writes the settings from KomokuCount through `last`, in their order: a save that stops at
    // a check leaves those before it written.
    void Write(IniFile& file, TotalKey last = TotalKey::KakakuCheckToday_Tomorrow) const;
};

} // namespace store
