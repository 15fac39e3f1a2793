#pragma once

#include "store/IniFile.h"
#include "store/WatchListModel.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringList>

#include <limits>
#include <optional>

namespace store {

// The files of the data folder. k and s are written without leading zeros.
QString TotalIniName();
QString SetteiIniName(int komoku);
QString SpeakMsgName();
// A slot's picture file; a download may stand under another extension until the save.
QString ImageName(int komoku, int slot, QLatin1StringView extension = QLatin1StringView(".jpg"));
// Whether path names a stored picture of category komoku.
bool IsImageOf(const QString& path, int komoku);

// One stored setting: where it lives in "Total.ini", its type, its default, and the range a
// read brings a stored value into (a hand-edited file may hold anything).
template <typename T> struct Setting {
    QLatin1StringView Section;
    QLatin1StringView Key;
    T DefaultValue;
    T Min = std::numeric_limits<T>::lowest();
    T Max = std::numeric_limits<T>::max();
};

// The longest wait, in days, the removal choice offers.
inline constexpr int EndAuctionDelMax = 10;

namespace total {
using namespace Qt::StringLiterals;
// In the order a save writes them.
inline constexpr Setting<int> KomokuCount{"KomokuCount"_L1, "Value"_L1, 1, 0, MaxKomokuCount};
inline constexpr Setting<int> ArarmTime{"ArarmTime"_L1, "Value"_L1, 10};
inline constexpr Setting<bool> ArarmAll{"Ararm"_L1, "All"_L1, false};
inline constexpr Setting<bool> ArarmSpeak{"Ararm"_L1, "Speak"_L1, true};
inline constexpr Setting<bool> KakakuKoshinKido{"KakakuKoshin"_L1, "Kido"_L1, true};
inline constexpr Setting<bool> KakakuKoshinBalloon{"KakakuKoshin"_L1, "Balloon"_L1, true};
inline constexpr Setting<int> EndAuctionDel{"EndAuction"_L1, "Del"_L1, 2, 0, EndAuctionDelMax};
inline constexpr Setting<bool> YosanOverNoHyoji{"YosanOver"_L1, "NoHyoji"_L1, false};
inline constexpr Setting<bool> KakakuCheckToday_Tomorrow{"KakakuCheckToday_Tomorrow"_L1, "Value"_L1, true};
} // namespace total

// The stored value within the setting's range.
int Read(const IniFile& ini, const Setting<int>& setting);
bool Read(const IniFile& ini, const Setting<bool>& setting);
void Write(IniFile& ini, const Setting<int>& setting, int value);
void Write(IniFile& ini, const Setting<bool>& setting, bool value);

// Sections and keys of a category file. A slot's section is its row number.
namespace settei {
using namespace Qt::StringLiterals;
inline constexpr QLatin1StringView Komoku = "Komoku"_L1;
inline constexpr QLatin1StringView Name = "Name"_L1;
inline constexpr QLatin1StringView Honmei = "Honmei"_L1;
inline constexpr QLatin1StringView No = "No"_L1;
// Slot keys in the order a save writes them.
inline constexpr QLatin1StringView Title = "Title"_L1;
inline constexpr QLatin1StringView ShuryoTime = "ShuryoTime"_L1;
inline constexpr QLatin1StringView URL = "URL"_L1;
inline constexpr QLatin1StringView ArarmTime = "ArarmTime"_L1;
inline constexpr QLatin1StringView Kakaku = "Kakaku"_L1;
inline constexpr QLatin1StringView Yosan = "Yosan"_L1;
inline constexpr QLatin1StringView Sokketugaku = "Sokketugaku"_L1;
inline constexpr QLatin1StringView Nyusatu = "Nyusatu"_L1;
inline constexpr QLatin1StringView Nyusatugaku = "Nyusatugaku"_L1;
inline constexpr QLatin1StringView Rakusatuhin = "Rakusatuhin"_L1;
inline constexpr QLatin1StringView Option = "Option"_L1;
inline constexpr QLatin1StringView PictureExist = "PictureExist"_L1;
} // namespace settei

QString SlotSection(int row);

// The lines of "SpeakMsg.txt"; nothing when the file does not exist.
std::optional<QStringList> ReadSpeakMsg(const QString& path);
// Writes each line followed by CR LF, in CP932, atomically; `reason` says why it failed.
bool WriteSpeakMsg(const QString& path, const QStringList& lines, QString* reason = nullptr);

// Whether the file at path can be read, or is not there at all. A folder of that name, or a
// file without read permission, is neither.
bool IsReadableOrMissing(const QString& path);

// The speech text box's text for the lines of "SpeakMsg.txt", and back: each gives the
// other's lines exactly, a final blank line included.
QString SpeakTextOf(const QStringList& lines);
QStringList SpeakLinesOf(const QString& text);

// The alarm sentence as one line: the lines joined with nothing between them, every CR removed.
QString JoinSpeakText(const QStringList& lines);

} // namespace store
