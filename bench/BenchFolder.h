#pragma once

// What the program keeps for a user with every slot taken: the stored files and the pictures.

#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/StoredFiles.h"
#include "store/WatchListModel.h"

#include <QDateTime>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace bench {

// A picture with some detail, the size the site's thumbnails have.
inline QImage Thumbnail(int seed)
{
    QImage image(400, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor::fromHsv(seed * 7 % 360, 120, 230));
    for (int i = 0; i < 40; ++i)
        painter.fillRect((i * 37 + seed) % 380, (i * 53) % 280, 20 + i % 30, 10 + i % 20,
                         QColor::fromHsv((seed + i * 23) % 360, 200, 150));
    return image;
}

// A category whose first `slotCount` slots (ten by default) hold every key, the first ending at
// `firstEnd` and each next one a day later. Each generation changes every title, so that every
// save really writes.
inline void WriteCategory(const QString& dataDir, int komoku, const std::function<QString(int, int)>& address,
                          const QDateTime& firstEnd, int generation = 0,
                          int slotCount = store::SlotsPerKomoku)
{
    using namespace store;
    IniFile file(dataDir + SetteiIniName(komoku));
    file.WriteString(settei::Komoku, settei::Name, QStringLiteral("カメラとレンズ"));
    file.WriteInteger(settei::Honmei, settei::No, 3);
    for (int row = 1; row <= slotCount; ++row) {
        const QString section = SlotSection(row);
        const QDateTime end = firstEnd.addDays(row - 1);
        file.WriteString(
            section, settei::Title,
            QStringLiteral("ニコン 単焦点レンズ AF-S 50mm f/1.8G 美品 元箱付き 動作確認済み %1-%2")
                .arg(row)
                .arg(generation));
        file.WriteDateTime(section, settei::ShuryoTime, ToDayCount(end));
        file.WriteString(section, settei::URL, address(komoku, row));
        file.WriteDateTime(section, settei::ArarmTime, ToDayCount(end.addSecs(-600)));
        file.WriteString(section, settei::Kakaku, QStringLiteral("12,345円"));
        file.WriteString(section, settei::Yosan, QStringLiteral("30,000円"));
        file.WriteString(section, settei::Sokketugaku, QStringLiteral("50,000円"));
        file.WriteString(section, settei::Nyusatu, QStringLiteral("17"));
        file.WriteInteger(section, settei::Nyusatugaku, 15000);
        file.WriteBool(section, settei::Rakusatuhin, false);
        file.WriteString(section, settei::Option, QStringLiteral("メモ: 付属品を確認すること"));
        file.WriteBool(section, settei::PictureExist, true);
    }
    if (!file.Save())
        throw std::runtime_error("cannot write the category file");
}

// "Total.ini", "SpeakMsg.txt" and `auctions` slots (1 to 50), the categories filled in order.
inline void WriteFolder(const QString& dataDir, const std::function<QString(int, int)>& address,
                        const QDateTime& firstEnd, int auctions)
{
    using namespace store;
    const int komokus = (auctions + SlotsPerKomoku - 1) / SlotsPerKomoku;
    IniFile total(dataDir + TotalIniName());
    Write(total, total::KomokuCount, komokus);
    Write(total, total::ArarmTime, 10);
    Write(total, total::ArarmAll, false);
    Write(total, total::ArarmSpeak, true);
    Write(total, total::KakakuKoshinKido, true);
    Write(total, total::KakakuKoshinBalloon, true);
    Write(total, total::EndAuctionDel, 2);
    Write(total, total::YosanOverNoHyoji, false);
    Write(total, total::KakakuCheckToday_Tomorrow, true);
    if (!total.Save() || !WriteSpeakMsg(dataDir + SpeakMsgName(), {DefaultSpeakText()}))
        throw std::runtime_error("cannot write the data folder");
    for (int k = 0; k < komokus; ++k)
        WriteCategory(dataDir, k, address, firstEnd, 0,
                      std::min(auctions - k * SlotsPerKomoku, SlotsPerKomoku));
}

// "Total.ini", "SpeakMsg.txt" and five full categories.
inline void WriteFullFolder(const QString& dataDir, const std::function<QString(int, int)>& address,
                            const QDateTime& firstEnd)
{
    WriteFolder(dataDir, address, firstEnd, 5 * store::SlotsPerKomoku);
}

} // namespace bench
