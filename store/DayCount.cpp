#include "store/DayCount.h"

#include <QDate>
#include <QTime>

#include <cmath>

namespace store {

namespace {

constexpr qint64 kMsecsPerDay = 86'400'000;

QTimeZone& CachedZone()
{
    static QTimeZone zone = QTimeZone::systemTimeZone();
    return zone;
}

QDate Epoch()
{
    return QDate(1899, 12, 30);
}

// The last day a four-digit year reaches; anything beyond is out of range.
qint64 LastDay()
{
    return Epoch().daysTo(QDate(9999, 12, 31));
}

// Wall-clock date and time of a day count, rounded to the millisecond. Kept apart
// from QDateTime so that the text form never passes through a time zone.
struct WallClock {
    QDate date;
    QTime time;
};

std::optional<WallClock> Decode(double days)
{
    if (!std::isfinite(days) || days <= 0 || days >= static_cast<double>(LastDay() + 1))
        return std::nullopt;
    // Rounding the whole value to milliseconds absorbs the binary error of the fraction
    // (0.999999 of a second is a full second, and may carry into the next day).
    const qint64 msecs = std::llround(days * static_cast<double>(kMsecsPerDay));
    const qint64 day = msecs / kMsecsPerDay;
    if (day > LastDay())
        return std::nullopt;
    return WallClock{Epoch().addDays(day),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs % kMsecsPerDay))};
}

double Encode(const QDate& date, int msecsOfDay)
{
    return static_cast<double>(Epoch().daysTo(date)) +
           static_cast<double>(msecsOfDay) / static_cast<double>(kMsecsPerDay);
}

// Reads one or more ASCII digits (at most maxDigits) at pos; -1 when there are none or too many.
int ReadNumber(QStringView text, qsizetype& pos, int maxDigits)
{
    int value = 0;
    int digits = 0;
    while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
        if (++digits > maxDigits)
            return -1;
        value = value * 10 + (text[pos].unicode() - u'0');
        ++pos;
    }
    return digits == 0 ? -1 : value;
}

bool Expect(QStringView text, qsizetype& pos, char16_t separator)
{
    if (pos >= text.size() || text[pos] != separator)
        return false;
    ++pos;
    return true;
}

// The day count of a date-time whose date and time are local.
double LocalDayCount(const QDateTime& local)
{
    const QDate date = local.date();
    if (date < Epoch() || date > Epoch().addDays(LastDay()))
        return 0;
    return Encode(date, local.time().msecsSinceStartOfDay());
}

} // namespace

QTimeZone LocalZone()
{
    return CachedZone();
}

void ReadLocalZone()
{
    CachedZone() = QTimeZone::systemTimeZone();
}

QDateTime LocalNow()
{
    const QTimeZone& zone = CachedZone();
    return zone.isValid() ? QDateTime::currentDateTimeUtc().toTimeZone(zone) : QDateTime::currentDateTime();
}

double ToDayCount(const QDateTime& localTime)
{
    if (!localTime.isValid())
        return 0;
    const Qt::TimeSpec kind = localTime.timeSpec();
    const bool local = kind == Qt::LocalTime || (kind == Qt::TimeZone && localTime.timeZone() == LocalZone());
    return LocalDayCount(local ? localTime : localTime.toLocalTime());
}

QDateTime FromDayCount(double days)
{
    const std::optional<WallClock> wall = Decode(days);
    if (!wall)
        return {};
    return QDateTime(wall->date, wall->time, Qt::LocalTime);
}

std::optional<double> EncodeDayCount(int year, int month, int day, int hour, int minute, int second)
{
    const QDate date(year, month, day);
    if (!date.isValid() || date < Epoch() || year > 9999 || !QTime::isValid(hour, minute, second))
        return std::nullopt;
    return Encode(date, ((hour * 60 + minute) * 60 + second) * 1000);
}

QString DayCountToText(double days)
{
    const std::optional<WallClock> wall = Decode(days);
    if (!wall)
        return QStringLiteral("1899/12/30");
    const QString date = wall->date.toString(QStringLiteral("yyyy/MM/dd"));
    // Milliseconds are dropped, as the seconds field shows whole seconds only.
    if (wall->time.msecsSinceStartOfDay() == 0)
        return date;
    return date + u' ' + wall->time.toString(QStringLiteral("H:mm:ss"));
}

double DayCountFromText(const QString& text)
{
    const QString trimmed = text.trimmed();
    const QStringView view(trimmed);
    qsizetype pos = 0;

    const qsizetype yearStart = pos;
    const int year = ReadNumber(view, pos, 4);
    if (year < 0 || pos - yearStart != 4 || !Expect(view, pos, u'/'))
        return 0;
    const int month = ReadNumber(view, pos, 2);
    if (month < 0 || !Expect(view, pos, u'/'))
        return 0;
    const int day = ReadNumber(view, pos, 2);
    if (day < 0)
        return 0;

    int hour = 0;
    int minute = 0;
    int second = 0;
    if (pos < view.size()) {
        if (!Expect(view, pos, u' '))
            return 0;
        while (pos < view.size() && view[pos] == u' ')
            ++pos;
        hour = ReadNumber(view, pos, 2);
        if (hour < 0 || !Expect(view, pos, u':'))
            return 0;
        minute = ReadNumber(view, pos, 2);
        if (minute < 0)
            return 0;
        if (pos < view.size()) {
            if (!Expect(view, pos, u':'))
                return 0;
            second = ReadNumber(view, pos, 2);
            if (second < 0)
                return 0;
        }
        if (pos != view.size())
            return 0;
    }
    return EncodeDayCount(year, month, day, hour, minute, second).value_or(0.0);
}

} // namespace store
