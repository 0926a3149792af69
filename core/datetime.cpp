// Day-count date-time values. Decoding rounds to the millisecond first, so a
// value a hair below midnight reads as the next day rather than 23:59:59.999
// plus noise, and the time of a negative value is its absolute fraction
// (-1.25 is 29/12/1899 06:00), as the stored archives expect.

#include "core/datetime.h"
#include "core/exceptions.h"

#include <cmath>

namespace {

constexpr qint64 MSecsPerDay = 86400000;
// 0001-01-01 and 9999-12-31; no date lies outside.
constexpr qint64 MinDay = -693593;
constexpr qint64 MaxDay = 2958465;

// Days since 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
qint64 daysFromCivil(qint64 y, int m, int d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(qint64 z, int &year, int &month, int &day)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2));
}

const qint64 Epoch1899 = daysFromCivil(1899, 12, 30);

bool isLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// Whole days and milliseconds of the day. False for values no date can have.
bool split(TDateTime value, qint64 &days, qint64 &msec)
{
    // The bound keeps llround inside qint64 before the exact day check.
    if (!std::isfinite(value) || std::fabs(value) > double(MaxDay + 1)) return false;
    const qint64 total = std::llround(value * double(MSecsPerDay));
    days = total / MSecsPerDay;
    msec = (total < 0 ? -total : total) % MSecsPerDay;
    return days >= MinDay && days <= MaxDay;
}

TDateTime compose(TDateTime date, TDateTime time)
{
    return date < 0 ? date - time : date + time;
}

std::function<QDateTime()> &clockFunction()
{
    static std::function<QDateTime()> clock;
    return clock;
}

// ---- formatting ----------------------------------------------------------

struct Parts
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    int dow = 1;
};

QString number(int value, int width)
{
    return QString::number(value).rightJustified(width, '0');
}

bool startsWithNoCase(const QString &s, qsizetype at, QLatin1String what)
{
    return s.mid(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

qsizetype countRun(const QString &pattern, qsizetype at)
{
    const QChar c = pattern[at].toLower();
    qsizetype n = 1;
    while (at + n < pattern.size() && pattern[at + n].toLower() == c)
        ++n;
    return n;
}

// Hours use the 12-hour clock when the pattern has an am/pm marker. Delphi
// looks only after the "h"; Korean and Chinese formats put the marker first.
bool twelveHourClock(const QString &pattern)
{
    QChar quote;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == 'a' || c == 'A') {
            if (startsWithNoCase(pattern, i, QLatin1String("am/pm")) ||
                startsWithNoCase(pattern, i, QLatin1String("a/p")) ||
                startsWithNoCase(pattern, i, QLatin1String("ampm")))
                return true;
        }
    }
    return false;
}

void appendFormatted(QString &out, const QString &pattern, const Parts &p, bool hasTime,
                     const TFormatSettings &fs, int depth)
{
    // "c" and "ddddd" expand to formats that could name themselves again.
    if (depth > 2) return;
    QChar lastLetter;
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern[i];
        QChar token = c.toUpper();
        if (token.unicode() < 128 && token.isLetter()) {
            if (token == 'M' && lastLetter == 'H') token = 'N';
            lastLetter = token;
        }
        const qsizetype run = countRun(pattern, i);
        switch (token.unicode()) {
        case 'Y':
            out += run <= 2 ? number(p.year % 100, 2) : number(p.year, 4);
            i += run;
            break;
        case 'M':
            if (run <= 2)
                out += number(p.month, int(run));
            else
                out += (run == 3 ? fs.shortMonthNames : fs.longMonthNames).value(p.month - 1);
            i += run;
            break;
        case 'D':
            if (run <= 2)
                out += number(p.day, int(run));
            else if (run == 3)
                out += fs.shortDayNames.value(p.dow - 1);
            else if (run == 4)
                out += fs.longDayNames.value(p.dow - 1);
            else
                appendFormatted(out, run == 5 ? fs.shortDateFormat : fs.longDateFormat, p, hasTime, fs,
                                depth + 1);
            i += run;
            break;
        case 'H': {
            int h = p.hour;
            if (twelveHourClock(pattern)) {
                if (h == 0)
                    h = 12;
                else if (h > 12)
                    h -= 12;
            }
            out += number(h, int(qMin<qsizetype>(run, 2)));
            i += run;
            break;
        }
        case 'N':
            out += number(p.minute, int(qMin<qsizetype>(run, 2)));
            i += run;
            break;
        case 'S':
            out += number(p.second, int(qMin<qsizetype>(run, 2)));
            i += run;
            break;
        case 'Z':
            out += number(p.msec, int(qMin<qsizetype>(run, 3)));
            i += run;
            break;
        case 'T':
            appendFormatted(out, run == 1 ? fs.shortTimeFormat : fs.longTimeFormat, p, hasTime, fs,
                            depth + 1);
            i += run;
            break;
        case 'C':
            appendFormatted(out, fs.shortDateFormat, p, hasTime, fs, depth + 1);
            if (hasTime) {
                out += ' ';
                appendFormatted(out, fs.longTimeFormat, p, hasTime, fs, depth + 1);
            }
            i += run;
            break;
        case 'A': {
            const bool pm = p.hour >= 12;
            if (startsWithNoCase(pattern, i, QLatin1String("am/pm"))) {
                out += pattern.mid(pm ? i + 3 : i, 2);
                i += 5;
            } else if (startsWithNoCase(pattern, i, QLatin1String("a/p"))) {
                out += pattern.mid(pm ? i + 2 : i, 1);
                i += 3;
            } else if (startsWithNoCase(pattern, i, QLatin1String("ampm"))) {
                out += pm ? fs.timePMString : fs.timeAMString;
                i += 4;
            } else {
                out += c;
                ++i;
            }
            break;
        }
        case '/':
            out += fs.dateSeparator;
            ++i;
            break;
        case ':':
            out += fs.timeSeparator;
            ++i;
            break;
        case '"':
        case '\'': {
            const qsizetype end = pattern.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end;
            out += QStringView(pattern).mid(i + 1, stop - i - 1);
            i = stop + 1;
            break;
        }
        default:
            out += c;
            ++i;
        }
    }
}

// ---- parsing -------------------------------------------------------------

// A cursor over the text being parsed.
struct Scanner
{
    const QString &s;
    qsizetype pos = 0;

    bool atEnd() const { return pos >= s.size(); }
    void skipBlanks()
    {
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
    }
    // Up to maxDigits decimal digits; the count read goes to digits.
    bool number(int &value, int &digits, int maxDigits)
    {
        value = 0;
        digits = 0;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && digits < maxDigits) {
            value = value * 10 + (s[pos].unicode() - '0');
            ++pos;
            ++digits;
        }
        // A longer run of digits is no field of ours.
        if (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') return false;
        return digits > 0;
    }
    bool take(QChar c)
    {
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    bool takeNoCase(const QString &what)
    {
        if (!what.isEmpty() && s.mid(pos, what.size()).compare(what, Qt::CaseInsensitive) == 0) {
            pos += what.size();
            return true;
        }
        return false;
    }
};

bool takeDateSeparator(Scanner &sc, const TFormatSettings &fs)
{
    sc.skipBlanks();
    if (sc.take(fs.dateSeparator) || sc.take('/') || sc.take('-') || sc.take('.')) {
        sc.skipBlanks();
        return true;
    }
    return false;
}

int currentYear()
{
    int y, m, d;
    decodeDate(now(), y, m, d);
    return y;
}

// Two-digit years fall in the hundred years centred on this one.
int expandYear(int year, int digits)
{
    if (digits > 2) return year;
    const int window = currentYear() - 50;
    year += window / 100 * 100;
    if (year < window) year += 100;
    return year;
}

bool scanDate(Scanner &sc, const TFormatSettings &fs, TDateTime &out)
{
    int v[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    sc.skipBlanks();
    if (!sc.number(v[0], digits[0], 4)) return false;
    if (!takeDateSeparator(sc, fs) || !sc.number(v[1], digits[1], 4)) return false;
    int count = 2;
    const qsizetype mark = sc.pos;
    if (takeDateSeparator(sc, fs) && sc.number(v[2], digits[2], 4))
        count = 3;
    else
        sc.pos = mark;

    int year = 0, month = 0, day = 0, yearDigits = 4;
    const DateOrder order = fs.dateOrder();
    if (count == 2) {
        year = currentYear();
        if (order == DateOrder::DMY) {
            day = v[0];
            month = v[1];
        } else {
            month = v[0];
            day = v[1];
        }
        if (digits[0] > 2 || digits[1] > 2) return false;
    } else if (order == DateOrder::YMD || digits[0] > 2) {
        // A four-digit first number is a year whatever the order ("2024-03-05").
        year = v[0];
        yearDigits = digits[0];
        month = v[1];
        day = v[2];
        if (digits[1] > 2 || digits[2] > 2) return false;
    } else {
        year = v[2];
        yearDigits = digits[2];
        if (order == DateOrder::DMY) {
            day = v[0];
            month = v[1];
        } else {
            month = v[0];
            day = v[1];
        }
        if (digits[0] > 2 || digits[1] > 2) return false;
    }
    return tryEncodeDate(expandYear(year, yearDigits), month, day, out);
}

bool scanMarker(Scanner &sc, const TFormatSettings &fs, int &base)
{
    if (sc.takeNoCase(fs.timeAMString) || sc.takeNoCase(QStringLiteral("am"))) {
        base = 0;
        return true;
    }
    if (sc.takeNoCase(fs.timePMString) || sc.takeNoCase(QStringLiteral("pm"))) {
        base = 12;
        return true;
    }
    return false;
}

bool scanTime(Scanner &sc, const TFormatSettings &fs, TDateTime &out)
{
    auto timeSep = [&] { return sc.take(fs.timeSeparator) || sc.take(':'); };
    int hour = 0, minute = 0, second = 0, msec = 0, digits = 0;
    int base = -1;
    sc.skipBlanks();
    // Korean and Chinese times put the marker first.
    if (scanMarker(sc, fs, base)) sc.skipBlanks();
    if (!sc.number(hour, digits, 2) || !timeSep() || !sc.number(minute, digits, 2)) return false;
    if (timeSep()) {
        if (!sc.number(second, digits, 2)) return false;
        // Fraction of a second: "5" is half a second, not five milliseconds.
        if (sc.take('.') || sc.take(fs.decimalSeparator)) {
            if (!sc.number(msec, digits, 3)) return false;
            for (; digits < 3; ++digits)
                msec *= 10;
        }
    }
    sc.skipBlanks();
    if (base >= 0 || scanMarker(sc, fs, base)) {
        if (hour == 0 || hour > 12) return false;
        hour = hour % 12 + base;
    }
    return tryEncodeTime(hour, minute, second, msec, out);
}

bool finished(Scanner &sc)
{
    sc.skipBlanks();
    return sc.atEnd();
}

[[noreturn]] void convertError(const QString &text, const char *what)
{
    throw EConvertError(QStringLiteral("'%1' is not a valid %2").arg(text, QLatin1String(what)));
}

} // namespace

bool tryEncodeDate(int year, int month, int day, TDateTime &out)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return false;
    out = double(daysFromCivil(year, month, day) - Epoch1899);
    return true;
}

TDateTime encodeDate(int year, int month, int day)
{
    TDateTime out = 0;
    if (!tryEncodeDate(year, month, day, out))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return out;
}

bool tryEncodeTime(int hour, int min, int sec, int msec, TDateTime &out)
{
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
        return false;
    out = double(((hour * 60 + min) * 60 + sec) * 1000 + msec) / double(MSecsPerDay);
    return true;
}

TDateTime encodeTime(int hour, int min, int sec, int msec)
{
    TDateTime out = 0;
    if (!tryEncodeTime(hour, min, sec, msec, out))
        throw EConvertError(QStringLiteral("Invalid argument to time encode"));
    return out;
}

void decodeDate(TDateTime value, int &year, int &month, int &day)
{
    qint64 days = 0, msec = 0;
    if (!split(value, days, msec)) {
        year = month = day = 0;
        return;
    }
    civilFromDays(days + Epoch1899, year, month, day);
}

void decodeTime(TDateTime value, int &hour, int &min, int &sec, int &msec)
{
    qint64 days = 0, ms = 0;
    if (!split(value, days, ms)) ms = 0;
    hour = int(ms / 3600000);
    min = int(ms / 60000 % 60);
    sec = int(ms / 1000 % 60);
    msec = int(ms % 1000);
}

int dayOfWeek(TDateTime value)
{
    qint64 days = 0, msec = 0;
    if (!split(value, days, msec)) return 1;
    // 30/12/1899 was a Saturday.
    return int(((days + 6) % 7 + 7) % 7) + 1;
}

TDateTime fromQDate(const QDate &value)
{
    if (!value.isValid()) return 0;
    return double(daysFromCivil(value.year(), value.month(), value.day()) - Epoch1899);
}

QDate toQDate(TDateTime value)
{
    int y, m, d;
    decodeDate(value, y, m, d);
    return QDate(y, m, d);
}

TDateTime fromQDateTime(const QDateTime &value)
{
    if (!value.isValid()) return 0;
    const QTime t = value.time();
    TDateTime time = 0;
    tryEncodeTime(t.hour(), t.minute(), t.second(), t.msec(), time);
    return compose(fromQDate(value.date()), time);
}

QDateTime toQDateTime(TDateTime value)
{
    int h, n, s, z;
    decodeTime(value, h, n, s, z);
    return QDateTime(toQDate(value), QTime(h, n, s, z));
}

TDateTime now()
{
    const auto &clock = clockFunction();
    return fromQDateTime(clock ? clock() : QDateTime::currentDateTime());
}

TDateTime today()
{
    const auto &clock = clockFunction();
    return fromQDate((clock ? clock() : QDateTime::currentDateTime()).date());
}

void setClock(std::function<QDateTime()> clock)
{
    clockFunction() = std::move(clock);
}

QString formatDateTime(const QString &pattern, TDateTime value, const TFormatSettings &fs)
{
    qint64 days = 0, msec = 0;
    if (!split(value, days, msec)) return QString();
    Parts p;
    decodeDate(value, p.year, p.month, p.day);
    decodeTime(value, p.hour, p.minute, p.second, p.msec);
    p.dow = dayOfWeek(value);
    const bool hasTime = p.hour || p.minute || p.second || p.msec;
    QString out;
    appendFormatted(out, pattern.isEmpty() ? QStringLiteral("c") : pattern, p, hasTime, fs, 0);
    return out;
}

QString dateToStr(TDateTime value, const TFormatSettings &fs)
{
    return formatDateTime(QStringLiteral("ddddd"), value, fs);
}

QString timeToStr(TDateTime value, const TFormatSettings &fs)
{
    return formatDateTime(QStringLiteral("tt"), value, fs);
}

QString dateTimeToStr(TDateTime value, const TFormatSettings &fs)
{
    return formatDateTime(QStringLiteral("c"), value, fs);
}

bool tryStrToDate(const QString &text, TDateTime &out, const TFormatSettings &fs)
{
    Scanner sc{text};
    TDateTime date = 0;
    if (!scanDate(sc, fs, date) || !finished(sc)) return false;
    out = date;
    return true;
}

bool tryStrToTime(const QString &text, TDateTime &out, const TFormatSettings &fs)
{
    Scanner sc{text};
    TDateTime time = 0;
    if (!scanTime(sc, fs, time) || !finished(sc)) return false;
    out = time;
    return true;
}

bool tryStrToDateTime(const QString &text, TDateTime &out, const TFormatSettings &fs)
{
    Scanner sc{text};
    TDateTime date = 0, time = 0;
    if (scanDate(sc, fs, date)) {
        if (finished(sc)) {
            out = date;
            return true;
        }
        // The date must be followed by a blank before the time.
        if (sc.pos == 0 || !text[sc.pos - 1].isSpace()) return false;
        if (!scanTime(sc, fs, time) || !finished(sc)) return false;
        out = compose(date, time);
        return true;
    }
    // A time alone is a time on day zero.
    return tryStrToTime(text, out, fs);
}

TDateTime strToDate(const QString &text, const TFormatSettings &fs)
{
    TDateTime out = 0;
    if (!tryStrToDate(text, out, fs)) convertError(text, "date");
    return out;
}

TDateTime strToTime(const QString &text, const TFormatSettings &fs)
{
    TDateTime out = 0;
    if (!tryStrToTime(text, out, fs)) convertError(text, "time");
    return out;
}

TDateTime strToDateTime(const QString &text, const TFormatSettings &fs)
{
    TDateTime out = 0;
    if (!tryStrToDateTime(text, out, fs)) convertError(text, "date and time");
    return out;
}
