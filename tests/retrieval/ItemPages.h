#pragma once

// Item pages written the way the site lays them out, for the scraper's tests and benchmarks.

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include <utility>

namespace scrapetest {

using namespace Qt::StringLiterals;

// The blocks of an item page.
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

// A complete running auction: price, bids and end time of 12 May, 21:34.
inline QStringList RunningPage(const QString& price = u"1,200円"_s)
{
    return QStringList{u"<html><head><title>ヤフオク! - Nikon F3</title></head>"_s} + PriceBlock(price) +
           CountBlock(u"5"_s) + EndBlock(u"2024.05.12（日）21:34"_s);
}

// The site's pages after a change of layout: every marker's text moved, the bid count's value
// tag shorter, and the end time further along the line and written 21時34分 (MovedEndText).
// The moves apply to a page and to a marker file alike.
inline QByteArray MovedLayout(const QByteArray& text)
{
    static const std::pair<QString, QString> moves[] = {
        {u"Price__title"_s, u"Price__label"_s},
        {u"Price__value"_s, u"Price__amount"_s},
        {u"Count__title"_s, u"Bid__title"_s},
        {u"Count__number"_s, u"Bid__n"_s},
        {u"<a href="_s, u"<a data-href="_s},
        {u"ProductDetail__title"_s, u"Detail__title"_s},
        {u"ProductDetail__bullet"_s, u"Detail__mark"_s},
        {u"このオークションは終了しています"_s, u"このオークションは終了しました"_s},
        {u"<title>"_s, u"<h1 class=\"Title\">"_s},
        {u"</title>"_s, u"</h1>"_s},
        {u"ProductImage__image"_s, u"Gallery__item"_s},
        {u"<img src="_s, u"<img data-src="_s},
    };
    QString moved = QString::fromUtf8(text);
    for (const auto& [from, to] : moves)
        moved.replace(from, to);
    return moved.toUtf8();
}
inline QString MovedEndText(const QString& endText = u"2024.05.12（日）21:34"_s)
{
    return u"日付："_s + QString(endText).replace(u':', u'時') + u"分"_s;
}
// The marker file that reads such pages: the shipped one with the same moves.
inline QByteArray MovedMarkerFile(const QByteArray& shipped)
{
    QString moved = QString::fromUtf8(MovedLayout(shipped));
    moved.replace(u"EndMonthOffset = 5"_s, u"EndMonthOffset = 8"_s);
    moved.replace(u"EndDayOffset = 8"_s, u"EndDayOffset = 11"_s);
    moved.replace(u"TimeSeparator = :"_s, u"TimeSeparator = 時"_s);
    return moved.toUtf8();
}

} // namespace scrapetest
