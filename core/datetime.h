#pragma once
// Date-time values as a day count: the whole part counts days from
// 30 December 1899, the fraction is the time of day. Conversions, the clock
// (settable by tests), and the date-time pattern language with its parsing.

#include "core/formatsettings.h"
#include <QDateTime>
#include <functional>

using TDateTime = double;

bool tryEncodeDate(int year, int month, int day, TDateTime &out);
TDateTime encodeDate(int year, int month, int day);          // throws EConvertError
bool tryEncodeTime(int hour, int min, int sec, int msec, TDateTime &out);
TDateTime encodeTime(int hour, int min, int sec, int msec);   // throws EConvertError
void decodeDate(TDateTime value, int &year, int &month, int &day);
void decodeTime(TDateTime value, int &hour, int &min, int &sec, int &msec);
int dayOfWeek(TDateTime value);                               // 1 = Sunday .. 7 = Saturday

TDateTime fromQDateTime(const QDateTime &value);              // local time, no zone shift
QDateTime toQDateTime(TDateTime value);
TDateTime fromQDate(const QDate &value);
QDate toQDate(TDateTime value);

// The clock: current local date and time. Tests replace it; an empty function
// restores the system clock.
TDateTime now();
TDateTime today();                                            // now() without the time of day
void setClock(std::function<QDateTime()> clock);

// Pattern language: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz
// am/pm a/p ampm, "/" date separator, ":" time separator, "..." and '...'
// literals; "m" after "h"/"hh" is minutes; letters are case-insensitive;
// c = short date + long time, ddddd = short date, dddddd = long date,
// t = short time, tt = long time. Empty pattern = "c".
QString formatDateTime(const QString &pattern, TDateTime value,
                       const TFormatSettings &fs = TFormatSettings::current());

QString dateToStr(TDateTime value, const TFormatSettings &fs = TFormatSettings::current());
QString timeToStr(TDateTime value, const TFormatSettings &fs = TFormatSettings::current());
// Short date and long time; the time is left out at midnight.
QString dateTimeToStr(TDateTime value, const TFormatSettings &fs = TFormatSettings::current());

// Parsing in the settings' date order and separators. A date with two parts
// takes the current year; two-digit years follow a 50-year window.
bool tryStrToDate(const QString &text, TDateTime &out,
                  const TFormatSettings &fs = TFormatSettings::current());
bool tryStrToTime(const QString &text, TDateTime &out,
                  const TFormatSettings &fs = TFormatSettings::current());
bool tryStrToDateTime(const QString &text, TDateTime &out,
                      const TFormatSettings &fs = TFormatSettings::current());
// Throwing forms: EConvertError "'%s' is not a valid date" / "... time" / "... date and time".
TDateTime strToDate(const QString &text, const TFormatSettings &fs = TFormatSettings::current());
TDateTime strToTime(const QString &text, const TFormatSettings &fs = TFormatSettings::current());
TDateTime strToDateTime(const QString &text, const TFormatSettings &fs = TFormatSettings::current());
