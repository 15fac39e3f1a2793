#include "store/TotalSettings.h"

#include "store/StoredFiles.h"

namespace store {

TotalSettings::TotalSettings()
    : KomokuCount(total::KomokuCount.DefaultValue), ArarmTime(total::ArarmTime.DefaultValue),
      All(total::ArarmAll.DefaultValue), Speak(total::ArarmSpeak.DefaultValue),
      Kido(total::KakakuKoshinKido.DefaultValue), Balloon(total::KakakuKoshinBalloon.DefaultValue),
      Del(total::EndAuctionDel.DefaultValue), NoHyoji(total::YosanOverNoHyoji.DefaultValue),
      KakakuCheckToday_Tomorrow(total::KakakuCheckToday_Tomorrow.DefaultValue)
{
}

TotalSettings TotalSettings::Read(const IniFile& file)
{
    TotalSettings settings;
    settings.KomokuCount = store::Read(file, total::KomokuCount);
    settings.ArarmTime = store::Read(file, total::ArarmTime);
    settings.All = store::Read(file, total::ArarmAll);
    settings.Speak = store::Read(file, total::ArarmSpeak);
    settings.Kido = store::Read(file, total::KakakuKoshinKido);
    settings.Balloon = store::Read(file, total::KakakuKoshinBalloon);
    settings.Del = store::Read(file, total::EndAuctionDel);
    settings.NoHyoji = store::Read(file, total::YosanOverNoHyoji);
    settings.KakakuCheckToday_Tomorrow = store::Read(file, total::KakakuCheckToday_Tomorrow);
    return settings;
}

std::optional<int> TotalSettings::WrittenKomokuCount(const IniFile& file)
{
    const int written =
        file.ReadInteger(total::KomokuCount.Section, total::KomokuCount.Key, total::KomokuCount.DefaultValue);
    if (written < total::KomokuCount.Min || written > total::KomokuCount.Max)
        return std::nullopt;
    return written;
}

void TotalSettings::Write(IniFile& file, TotalKey last) const
{
    const auto upTo = [last](TotalKey key) { return static_cast<int>(key) <= static_cast<int>(last); };
    store::Write(file, total::KomokuCount, KomokuCount);
    if (upTo(TotalKey::ArarmTime))
        store::Write(file, total::ArarmTime, ArarmTime);
    if (upTo(TotalKey::ArarmAll))
        store::Write(file, total::ArarmAll, All);
    if (upTo(TotalKey::ArarmSpeak))
        store::Write(file, total::ArarmSpeak, Speak);
    if (upTo(TotalKey::KakakuKoshinKido))
        store::Write(file, total::KakakuKoshinKido, Kido);
    if (upTo(TotalKey::KakakuKoshinBalloon))
        store::Write(file, total::KakakuKoshinBalloon, Balloon);
    if (upTo(TotalKey::EndAuctionDel))
        store::Write(file, total::EndAuctionDel, Del);
    if (upTo(TotalKey::YosanOverNoHyoji))
        store::Write(file, total::YosanOverNoHyoji, NoHyoji);
    if (upTo(TotalKey::KakakuCheckToday_Tomorrow))
        store::Write(file, total::KakakuCheckToday_Tomorrow, KakakuCheckToday_Tomorrow);
}

} // namespace store
