#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace store {

// The ended marker that the end-of-auction update puts in front of a title.
QString EndedMarker();
// Whether the title begins with the ended marker (its first four characters only).
bool IsEnded(const QString& title);

// The amount of yen in a text such as "12,345円": every "円" and "," removed, blanks
// trimmed, the rest read as a signed decimal integer. Nothing when it is empty, not
// a decimal integer in ASCII digits, or outside the 32-bit signed range.
std::optional<int> PriceValue(const QString& text);

// Decimal integer in ASCII digits with an optional sign, no blanks; nothing otherwise.
std::optional<int> CellInteger(const QString& text);

// "カメラ No3: 12,345円(終了)(予算オーバー)": name, " No" row, ": " price text, then
// "(落札)" or "(終了)" when ended, then "(予算オーバー)" when over budget.
QString SlotLabel(const QString& komokuName, int row, const QString& kakakuText, bool ended, bool won,
                  bool overBudget);

// The program's name, as the tray hint and the windows show it.
QString ProductName();

// The address a text names when it is an http or https address with a host, fully encoded;
// nothing otherwise. Only such an address goes to the browser: a URL cell is free text, and
// the desktop would open a local file or program named there with whatever handles it.
std::optional<QString> WebAddress(const QString& text);

// The tray hint listing the favourites' labels joined by CR LF. With startWithProductName
// (load and save) no favourite leaves the product name; otherwise (favourite change, end update) empty.
QString FavouriteSummary(const QStringList& labels, bool startWithProductName);

// The program's texts break lines with CR LF (and a lone CR in message texts), as the
// stored files do; Qt's widgets and splitting want LF alone.
QString LfLineBreaks(QString text);
QString CrLfLineBreaks(QString text);

// End time from the grid cells (month, day, hour, minute; second 0) in the current year,
// the following year for a January date seen in December. Nothing when a cell is not a
// decimal integer or the parts are no valid date and time of day.
std::optional<double> EncodeEndTime(const QString& month, const QString& day, const QString& hour,
                                    const QString& minute, const QDate& today);

// Explicit alarm time: on the end date of the cells above (with its year), or on the day
// before when the end hour is smaller than the alarm hour. Nothing when a cell is invalid.
std::optional<double> EncodeAlarmTime(const QString& month, const QString& day, const QString& endHour,
                                      const QString& alarmHour, const QString& alarmMinute,
                                      const QDate& today);

} // namespace store
