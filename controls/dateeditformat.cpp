#include "controls/dateeditformat.h"

namespace {

bool validDate(int y, int m, int d)
{
    TDateTime unused;
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && tryEncodeDate(y, m, d, unused);
}

int currentYear()
{
    int y, m, d;
    decodeDate(today(), y, m, d);
    return y;
}

} // namespace

DateOrder TDateEditFormat::orderOf(const QString &shortDateFormat)
{
    for (QChar c : shortDateFormat) {
        switch (c.toUpper().unicode()) {
        case 'D': return DateOrder::DMY;
        case 'M': return DateOrder::MDY;
        case 'Y':
        case 'E': return DateOrder::YMD;
        default: break;
        }
    }
    return DateOrder::DMY;
}

TDateEditFormat TDateEditFormat::build(TYearDigits digits, const TFormatSettings &fs)
{
    TDateEditFormat f;
    f.m_order = orderOf(fs.shortDateFormat);
    f.m_separator = fs.dateSeparator;
    switch (digits) {
    case TYearDigits::dyFour: f.m_fourDigits = true; break;
    case TYearDigits::dyTwo: f.m_fourDigits = false; break;
    default: f.m_fourDigits = fs.shortDateFormat.contains(QLatin1String("YYYY"), Qt::CaseInsensitive); break;
    }
    const QString y = f.m_fourDigits ? QStringLiteral("YYYY") : QStringLiteral("YY");
    switch (f.m_order) {
    case DateOrder::DMY: f.m_format = QStringLiteral("DD/MM/") + y; break;
    case DateOrder::MDY: f.m_format = QStringLiteral("MM/DD/") + y; break;
    case DateOrder::YMD: f.m_format = y + QStringLiteral("/MM/DD"); break;
    }
    return f;
}

QString TDateEditFormat::editMask(QChar blank) const
{
    QString digits = m_format;
    for (QChar &c : digits)
        if (c.isLetter()) c = QLatin1Char('9');
    return QLatin1Char('!') + digits + QStringLiteral(";1;") + blank;
}

QString TDateEditFormat::qtInputMask(QChar blank) const
{
    static const QString meta = QStringLiteral("AaNnXx90Dd#HhBb><!{}[]\\;");
    QString mask;
    for (QChar c : m_format) {
        if (c.isLetter()) {
            mask += QLatin1Char('0');
        } else {
            if (meta.contains(m_separator)) mask += QLatin1Char('\\');
            mask += m_separator;
        }
    }
    return mask + QLatin1Char(';') + blank;
}

QString TDateEditFormat::emptyText(QChar blank) const
{
    QString s = m_format;
    for (QChar &c : s) c = c.isLetter() ? blank : m_separator;
    return s;
}

bool TDateEditFormat::isEmptyText(const QString &text) const
{
    for (QChar c : text)
        if (c.isDigit() || c.isLetter()) return false;
    return true;
}

QString TDateEditFormat::format(TDateTime value, QChar blank) const
{
    if (value == 0) return emptyText(blank);
    int y, m, d;
    decodeDate(value, y, m, d);
    if (!m_fourDigits) y %= 100;
    const QString ys = QStringLiteral("%1").arg(y, m_fourDigits ? 4 : 2, 10, QLatin1Char('0'));
    const QString ms = QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'));
    const QString ds = QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'));
    switch (m_order) {
    case DateOrder::MDY: return ms + m_separator + ds + m_separator + ys;
    case DateOrder::YMD: return ys + m_separator + ms + m_separator + ds;
    default: return ds + m_separator + ms + m_separator + ys;
    }
}

int TDateEditFormat::expandYear(int year, int current)
{
    if (year >= 100) return year;
    const int pivot = current - 60;
    year += (pivot / 100) * 100;
    if (year < pivot) year += 100;
    return year;
}

bool TDateEditFormat::parse(const QString &text, TDateTime &out, const TFormatSettings &fs) const
{
    const int thisYear = currentYear();
    int y = -1, m = -1, d = -1;
    bool positional = text.size() <= m_format.size();
    if (positional) {
        QString ys, ms, ds;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == QLatin1Char(' ')) continue;
            switch (m_format[i].unicode()) {
            case 'D': ds += c; break;
            case 'M': ms += c; break;
            case 'Y': ys += c; break;
            default: break;
            }
        }
        // Letters among the digits make the part unreadable: -2 can never be valid.
        auto number = [](const QString &s) {
            if (s.isEmpty()) return -1;
            bool ok = false;
            const int v = s.toInt(&ok);
            return ok ? v : -2;
        };
        d = number(ds);
        if (m_format.count(QLatin1Char('M')) >= 3) {
            m = -1;
            for (int i = 0; i < fs.longMonthNames.size() && m < 0; ++i)
                if (ms.compare(fs.longMonthNames[i], Qt::CaseInsensitive) == 0) m = i + 1;
            for (int i = 0; i < fs.shortMonthNames.size() && m < 0; ++i)
                if (ms.compare(fs.shortMonthNames[i], Qt::CaseInsensitive) == 0) m = i + 1;
        } else {
            m = number(ms);
        }
        y = m_format.contains(QLatin1Char('Y')) ? number(ys) : thisYear;
        if (y >= -1 && y < 100) y = expandYear(y, thisYear);
    }
    if (!positional || !validDate(y, m, d)) {
        if (!scan(text, y, m, d, fs) || !validDate(y, m, d)) return false;
    }
    out = encodeDate(y, m, d);
    return true;
}

bool TDateEditFormat::scan(const QString &text, int &y, int &m, int &d, const TFormatSettings &fs) const
{
    qsizetype pos = 0;
    const qsizetype len = text.size();
    if (fs.shortDateFormat.startsWith(QLatin1Char('g'), Qt::CaseInsensitive))
        while (pos < len && !text[pos].isDigit()) ++pos;

    auto skipBlanks = [&] {
        while (pos < len && text[pos] == QLatin1Char(' ')) ++pos;
    };
    auto readNumber = [&](int &value) {
        skipBlanks();
        const qsizetype start = pos;
        qint64 v = 0;
        while (pos < len && text[pos].isDigit() && pos - start < 9) v = v * 10 + text[pos++].digitValue();
        if (pos == start) return false;
        value = int(v);
        return true;
    };
    auto readSeparator = [&] {
        skipBlanks();
        if (pos < len && text[pos] == fs.dateSeparator) {
            ++pos;
            return true;
        }
        return false;
    };

    int n[3] = {0, 0, 0};
    int count = 0;
    if (!readNumber(n[0])) return false;
    count = 1;
    if (!readSeparator() || !readNumber(n[1])) return false;
    count = 2;
    if (readSeparator()) {
        if (!readNumber(n[2])) return false;
        count = 3;
    }
    skipBlanks();
    if (pos != len) return false;

    const int thisYear = currentYear();
    if (count == 3) {
        switch (m_order) {
        case DateOrder::MDY: m = n[0]; d = n[1]; y = n[2]; break;
        case DateOrder::YMD: y = n[0]; m = n[1]; d = n[2]; break;
        default: d = n[0]; m = n[1]; y = n[2]; break;
        }
        y = expandYear(y, thisYear);
    } else {
        y = thisYear;
        if (m_order == DateOrder::DMY) {
            d = n[0];
            m = n[1];
        } else {
            m = n[0];
            d = n[1];
        }
    }
    return true;
}
