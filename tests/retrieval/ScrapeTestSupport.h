#pragma once

#include "retrieval/ItemPageScraper.h"
#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/StoredFiles.h"
#include "support/Fakes.h"
#include "support/ScratchDir.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace scrapetest {

using namespace Qt::StringLiterals;

// Records the tray hints and balloons a scrape asks for.
class RecordingTray final : public shell::TrayNotices {
public:
    void SetTrayHint(const QString& hint) override { hints << hint; }
    void ShowBalloon(const QString& title, const QString& text) override
    {
        balloons.push_back({title, text});
    }

    QStringList hints;
    std::vector<std::pair<QString, QString>> balloons;
};

// The blocks of an item page, written the way the site lays them out.
inline QStringList PriceBlock(const QString& value)
{
    return {u"<dt class=\"Price__title\">現在価格<span>（税込）</span></dt>"_s,
            u"<dd class=\"Price__value\">"_s, value, u"</dd>"_s};
}
inline QStringList SokketuBlock(const QString& value)
{
    return {u"<dt class=\"Price__title\">即決価格</dt>"_s, u"<dd class=\"Price__value\">"_s, value,
            u"</dd>"_s};
}
inline QStringList CountBlock(const QString& count)
{
    return {u"<dt class=\"Count__title\">入札件数</dt>"_s,
            u"<dd class=\"Count__number\">"_s + count + u"<a href=\"#bid\">詳細</a></dd>"_s};
}
// An end time as the item page shows it, such as 2027.01.12（火）21:34.
inline QString PageEndText(const QDateTime& at)
{
    static const QString days = u"月火水木金土日"_s;
    return at.toString(u"yyyy.MM.dd"_s) + u"（"_s + days.at(at.date().dayOfWeek() - 1) + u"）"_s +
           at.toString(u"HH:mm"_s);
}
// valueText is what follows the value marker, such as "2024.05.12（日）21:34".
inline QStringList EndBlock(const QString& valueText)
{
    return {u"<dt class=\"ProductDetail__title\">終了日時</dt>"_s,
            u"<dd class=\"ProductDetail__description\"><span class=\"ProductDetail__bullet\">：</span>"_s +
                valueText + u"</dd>"_s};
}
inline QString EndedNotice()
{
    return u"<p class=\"ClosedHeader\">このオークションは終了しています</p>"_s;
}
inline QStringList PictureBlock(const QString& url)
{
    return {u"<li class=\"ProductImage__image\">"_s, u"  <img src=\""_s + url + u"\" alt=\"\">"_s};
}

// A GIF of one pixel on a logical screen of width × height.
inline QByteArray OnePixelGif(int width, int height)
{
    static const char rest[] = "\x80\x00\x00" // a global table of two colours
                               "\xff\x00\x00\xff\xff\xff"
                               ",\x00\x00\x00\x00\x01\x00\x01\x00\x00" // a 1 × 1 frame at (0, 0)
                               "\x02\x02\x44\x01\x00;";
    QByteArray gif("GIF89a");
    for (const int side : {width, height}) {
        gif += static_cast<char>(side & 0xff);
        gif += static_cast<char>(side >> 8);
    }
    return gif + QByteArray(rest, sizeof rest - 1);
}

inline QByteArray Page(const QStringList& lines, const QString& separator = u"\r\n"_s)
{
    return lines.join(separator).toUtf8() + separator.toUtf8();
}

// A running auction's page with its title, price, five bids and an end on 12 December 2026.
inline QByteArray ItemPage(const QString& price)
{
    return Page(QStringList{u"<title>ヤフオク! - Nikon F3</title>"_s} + PriceBlock(price) +
                CountBlock(u"5"_s) + EndBlock(u"2026.12.12（土）21:34"_s));
}

inline QString ItemUrl()
{
    return u"https://page.auctions.yahoo.co.jp/jp/auction/x123"_s;
}

inline double Day(int y, int mo, int d, int h, int mi)
{
    return *store::EncodeDayCount(y, mo, d, h, mi, 0);
}

class ScrapeTest : public ::testing::Test {
protected:
    ScrapeTest()
    {
        schedule.Komoku.resize(1);
        schedule.Settings.LeadMinutes = 10;
        schedule.Settings.Balloon = true;
        model.Komokus[0].Name = u"カメラ"_s;
        auto& cells = Cells();
        cells[store::ColURL] = ItemUrl();
        cells[store::ColTitle] = u"Nikon F3"_s;
        cells[store::ColKakaku] = u"1,000円"_s;
        cells[store::ColNyusatu] = u"3"_s;
        cells[store::ColMonth] = u"05"_s;
        cells[store::ColDay] = u"12"_s;
        cells[store::ColHour] = u"21"_s;
        cells[store::ColMinute] = u"34"_s;
        model.SlotAt(0, 1).KakakuText = u"1,000円"_s;
        store::IniFile ini(File());
        ini.WriteString(u"1"_s, store::settei::Title, cells[store::ColTitle]);
        ini.WriteString(u"1"_s, store::settei::URL, ItemUrl());
        ini.WriteString(u"1"_s, store::settei::ArarmTime, u"2024/05/12 21:00:00"_s);
        ini.Save();
    }

    std::array<QString, store::ColumnCount>& Cells(int row = 1) { return model.SlotAt(0, row).Cells; }
    shell::ScheduleSlot& Sched(int row = 1) { return schedule.At(0, row - 1); }
    QString File() const { return dir.file(u"Settei0.ini"_s); }
    QString Stored(const QString& key, int row = 1) const
    {
        return store::IniFile(File()).ReadString(QString::number(row), key, u"<none>"_s);
    }

    retrieval::ScrapeResult Scrape(const QByteArray& page, int row = 1, const QString& url = ItemUrl())
    {
        retrieval::ScrapeContext context{model,  schedule, dir.path() + u"/"_s, now, startingUp, notice, tray,
                                         window, dialogs,  registering};
        const auto result = retrieval::ScrapeItemPage(context, page, url, 0, row);
        EXPECT_FALSE(model.Scraping) << "Scraping must be cleared on every way out";
        return result;
    }

    // A complete running auction: price, bids and end time of 12 May, 21:34.
    static QStringList RunningPage(const QString& price = u"1,200円"_s)
    {
        return QStringList{u"<html><head><title>ヤフオク! - Nikon F3</title></head>"_s} + PriceBlock(price) +
               CountBlock(u"5"_s) + EndBlock(u"2024.05.12（日）21:34"_s);
    }

    testsupport::ScratchDir dir;
    store::WatchListModel model;
    shell::Schedule schedule;
    QDateTime now{QDate(2024, 5, 10), QTime(12, 0)};
    bool startingUp = false;
    shell::PriceNotice notice;
    RecordingTray tray;
    testsupport::FakeWindowView window;
    testsupport::FakeDialogs dialogs;
    bool registering = false;
};

} // namespace scrapetest
