#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace store {

// A date-time as the stored files and the schedule keep it: whole days since
// 1899-12-30, the time of day as the fraction, local time. 0 means none.

// A date-time of any other kind than local time is converted to it; a date-time in LocalZone() counts as
// local time as it stands.
double ToDayCount(const QDateTime& localTime);
// The local date-time of a day count; an invalid QDateTime for 0 and for values out of range.
QDateTime FromDayCount(double days);

// The system's time zone, read once: Qt's local time asks the C library, which looks at the
// zone file on every call. ReadLocalZone reads it again, for when the system changed it.
QTimeZone LocalZone();
void ReadLocalZone();
// Now, in LocalZone(); the C library's local time where the zone cannot be read.
QDateTime LocalNow();

// A day count from its parts; nothing when they do not make a valid date and time of day.
std::optional<double> EncodeDayCount(int year, int month, int day, int hour, int minute, int second);

// Text form of the stored files: "yyyy/MM/dd H:mm:ss" (hour without leading zero), the date
// alone at exactly midnight, "1899/12/30" for 0.
QString DayCountToText(double days);
// Reads one- or two-digit month, day, hour, minute and second and an optional seconds part;
// anything else (and the text of day 0) reads as 0.
double DayCountFromText(const QString& text);

} // namespace store
