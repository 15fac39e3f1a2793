#include "store/TextRules.h"

#include "store/DayCount.h"

#include <QUrl>

#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace store {

namespace {

// Blanks around a price: ASCII space and tab, and the ideographic space that a Japanese
// input method types for the space key.
bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0x3000);
}

QString TrimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text.at(first)))
        ++first;
    while (last > first && IsBlank(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

// Read by hand so that only a sign and ASCII digits pass, and the range is checked digit
// by digit: a value that does not fit an int is refused, never wrapped.
std::optional<int> ReadInteger(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // The magnitude of the smallest int is one more than that of the largest.
    const qint64 limit =
        negative ? -static_cast<qint64>(std::numeric_limits<int>::min()) : std::numeric_limits<int>::max();
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

// The end date of the grid cells: this year's, or next year's for a January date seen in
// December (an auction a few days ahead across New Year).
std::optional<QDate> EndDate(const QString& monthCell, const QString& dayCell, const QDate& today)
{
    const auto month = CellInteger(monthCell);
    const auto day = CellInteger(dayCell);
    if (!month || !day || !today.isValid())
        return std::nullopt;
    const int year = today.month() == 12 && *month == 1 ? today.year() + 1 : today.year();
    const QDate date(year, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<int> CellInRange(const QString& cell, int lowest, int highest)
{
    const auto value = CellInteger(cell);
    if (!value || *value < lowest || *value > highest)
        return std::nullopt;
    return value;
}

} // namespace

QString EndedMarker()
{
    return u"[終了]"_s;
}

bool IsEnded(const QString& title)
{
    return title.startsWith(EndedMarker());
}

std::optional<int> PriceValue(const QString& text)
{
    QString digits = text;
    digits.remove(u'円');
    digits.remove(u',');
    return ReadInteger(TrimBlanks(digits));
}

std::optional<int> CellInteger(const QString& text)
{
    return ReadInteger(text);
}

QString SlotLabel(const QString& komokuName, int row, const QString& kakakuText, bool ended, bool won,
                  bool overBudget)
{
    QString label = komokuName + u" No"_s + QString::number(row) + u": "_s + kakakuText;
    if (ended)
        label += won ? u"(落札)"_s : u"(終了)"_s;
    if (overBudget)
        label += u"(予算オーバー)"_s;
    return label;
}

std::optional<QString> WebAddress(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return std::nullopt;
    return url.toString(QUrl::FullyEncoded);
}

QString ProductName()
{
    return u"ミルベロ"_s;
}

QString FavouriteSummary(const QStringList& labels, bool startWithProductName)
{
    if (labels.isEmpty())
        return startWithProductName ? ProductName() : QString();
    return labels.join(u"\r\n"_s);
}

std::optional<double> EncodeEndTime(const QString& month, const QString& day, const QString& hour,
                                    const QString& minute, const QDate& today)
{
    const auto date = EndDate(month, day, today);
    const auto h = CellInRange(hour, 0, 23);
    const auto m = CellInRange(minute, 0, 59);
    if (!date || !h || !m)
        return std::nullopt;
    return EncodeDayCount(date->year(), date->month(), date->day(), *h, *m, 0);
}

std::optional<double> EncodeAlarmTime(const QString& month, const QString& day, const QString& endHour,
                                      const QString& alarmHour, const QString& alarmMinute,
                                      const QDate& today)
{
    const auto endDate = EndDate(month, day, today);
    const auto endH = CellInRange(endHour, 0, 23);
    const auto alarmH = CellInRange(alarmHour, 0, 23);
    const auto alarmM = CellInRange(alarmMinute, 0, 59);
    if (!endDate || !endH || !alarmH || !alarmM)
        return std::nullopt;
    // An alarm hour after the end hour can only mean the evening before the end.
    const QDate date = *endH < *alarmH ? endDate->addDays(-1) : *endDate;
    return EncodeDayCount(date.year(), date.month(), date.day(), *alarmH, *alarmM, 0);
}

QString LfLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString CrLfLineBreaks(QString text)
{
    return LfLineBreaks(std::move(text)).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

} // namespace store
