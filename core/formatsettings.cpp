// Regional formats. The five locales the program is used with have fixed
// tables, so output does not move with Qt's CLDR updates (Qt's own it_IT short
// date has two-digit years, for instance); any other valid name goes through
// QLocale and has its formats translated into our pattern language.

#include "core/formatsettings.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

QStringList monthNames(const QLocale &locale, QLocale::FormatType type)
{
    QStringList names;
    for (int m = 1; m <= 12; ++m)
        names << locale.monthName(m, type);
    return names;
}

// Ours run Sunday first; QLocale numbers Monday 1 .. Sunday 7.
QStringList dayNames(const QLocale &locale, QLocale::FormatType type)
{
    QStringList names;
    names << locale.dayName(7, type);
    for (int d = 1; d <= 6; ++d)
        names << locale.dayName(d, type);
    return names;
}

void fillNames(const QLocale &locale, TFormatSettings &fs)
{
    fs.longMonthNames = monthNames(locale, QLocale::LongFormat);
    fs.shortMonthNames = monthNames(locale, QLocale::ShortFormat);
    fs.longDayNames = dayNames(locale, QLocale::LongFormat);
    fs.shortDayNames = dayNames(locale, QLocale::ShortFormat);
}

TFormatSettings italian()
{
    TFormatSettings fs;
    fs.localeName = QStringLiteral("it_IT");
    fs.dateSeparator = '/';
    fs.timeSeparator = ':';
    fs.decimalSeparator = ',';
    fs.thousandSeparator = '.';
    fs.shortDateFormat = QStringLiteral("dd/mm/yyyy");
    fs.longDateFormat = QStringLiteral("dddd d mmmm yyyy");
    fs.shortTimeFormat = QStringLiteral("hh:nn");
    fs.longTimeFormat = QStringLiteral("hh:nn:ss");
    // Written out rather than taken from QLocale: the interface is Italian and
    // these texts reach printed reports.
    fs.longMonthNames = {"gennaio", "febbraio", "marzo",     "aprile",  "maggio",   "giugno",
                         "luglio",  "agosto",   "settembre", "ottobre", "novembre", "dicembre"};
    fs.shortMonthNames = {"gen", "feb", "mar", "apr", "mag", "giu", "lug", "ago", "set", "ott", "nov", "dic"};
    fs.longDayNames = {QStringLiteral("domenica"),  QStringLiteral("lunedì"),  QStringLiteral("martedì"),
                       QStringLiteral("mercoledì"), QStringLiteral("giovedì"), QStringLiteral("venerdì"),
                       QStringLiteral("sabato")};
    fs.shortDayNames = {"dom", "lun", "mar", "mer", "gio", "ven", "sab"};
    fs.currencyString = QStringLiteral("€");
    fs.currencyFormat = 2;
    fs.negCurrFormat = 12;
    fs.currencyDecimals = 2;
    return fs;
}

bool fixedTable(const QString &name, TFormatSettings &fs)
{
    if (name == QLatin1String("it_IT")) {
        fs = italian();
        return true;
    }
    TFormatSettings t;
    t.localeName = name;
    if (name == QLatin1String("en_US")) {
        t.shortDateFormat = QStringLiteral("m/d/yyyy");
        t.longDateFormat = QStringLiteral("dddd, mmmm d, yyyy");
        t.shortTimeFormat = QStringLiteral("h:nn ampm");
        t.longTimeFormat = QStringLiteral("h:nn:ss ampm");
        t.timeAMString = QStringLiteral("AM");
        t.timePMString = QStringLiteral("PM");
        t.decimalSeparator = '.';
        t.thousandSeparator = ',';
        t.currencyString = QStringLiteral("$");
        t.currencyFormat = 0;
        t.negCurrFormat = 1;
    } else if (name == QLatin1String("en_GB")) {
        t.shortDateFormat = QStringLiteral("dd/mm/yyyy");
        t.longDateFormat = QStringLiteral("dd mmmm yyyy");
        t.shortTimeFormat = QStringLiteral("hh:nn");
        t.longTimeFormat = QStringLiteral("hh:nn:ss");
        t.decimalSeparator = '.';
        t.thousandSeparator = ',';
        t.currencyString = QStringLiteral("£");
        t.currencyFormat = 0;
        t.negCurrFormat = 1;
    } else if (name == QLatin1String("de_DE")) {
        t.dateSeparator = '.';
        t.shortDateFormat = QStringLiteral("dd/mm/yyyy");
        t.longDateFormat = QStringLiteral("dddd, d. mmmm yyyy");
        t.shortTimeFormat = QStringLiteral("hh:nn");
        t.longTimeFormat = QStringLiteral("hh:nn:ss");
        t.currencyString = QStringLiteral("€");
        t.currencyFormat = 3;
        t.negCurrFormat = 8;
    } else if (name == QLatin1String("fr_FR")) {
        t.shortDateFormat = QStringLiteral("dd/mm/yyyy");
        t.longDateFormat = QStringLiteral("dddd d mmmm yyyy");
        t.shortTimeFormat = QStringLiteral("hh:nn");
        t.longTimeFormat = QStringLiteral("hh:nn:ss");
        t.thousandSeparator = QChar(0x00A0);
        t.currencyString = QStringLiteral("€");
        t.currencyFormat = 3;
        t.negCurrFormat = 8;
    } else {
        return false;
    }
    fillNames(QLocale(name), t);
    fs = t;
    return true;
}

// Qt's date/time format ("dd.MM.yy", "h:mm:ss AP t") in our pattern language:
// M -> m, m -> n, AP -> ampm, the timezone dropped, two-digit years widened,
// the locale's separator turned into its token ("/" or ":"), and text that is
// plain in Qt but a token for us quoted.
QString fromQtFormat(const QString &qt, QChar separator, QChar token)
{
    QString out;
    const int n = qt.size();
    for (int i = 0; i < n;) {
        const QChar c = qt[i];
        int run = 1;
        while (i + run < n && qt[i + run] == c)
            ++run;
        if (c == '\'') {
            // Quoted text; '' is a literal quote.
            if (run >= 2 && run % 2 == 0) {
                out += QStringLiteral("\"'\"");
                i += 2;
                continue;
            }
            int j = i + 1;
            QString lit;
            while (j < n) {
                if (qt[j] == '\'') {
                    if (j + 1 < n && qt[j + 1] == '\'') {
                        lit += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                lit += qt[j++];
            }
            if (!lit.isEmpty()) out += '"' + lit + '"';
            i = j + 1;
            continue;
        }
        switch (c.unicode()) {
        case 'd':
            out += QString(qMin(run, 4), 'd');
            break;
        case 'M':
            out += QString(qMin(run, 4), 'm');
            break;
        case 'y':
            out += QStringLiteral("yyyy");
            break;
        case 'h':
        case 'H':
            out += QString(qMin(run, 2), 'h');
            break;
        case 'm':
            out += QString(qMin(run, 2), 'n');
            break;
        case 's':
            out += QString(qMin(run, 2), 's');
            break;
        case 'z':
            out += run >= 3 ? QStringLiteral("zzz") : QStringLiteral("z");
            break;
        case 'a':
        case 'A':
        case 'P':
        case 'p': {
            // "AP", "ap", "A", "a" all mean the AM/PM text.
            int len = run;
            if (i + len < n && (qt[i + len] == 'P' || qt[i + len] == 'p')) ++len;
            out += QStringLiteral("ampm");
            run = len;
            break;
        }
        case 't':
            break;
        default:
            if (c == separator && !separator.isNull())
                out += QString(run, token);
            else if (c.isLetter() || c == '"' || c == '/' || c == ':')
                out += '"' + QString(run, c) + '"';
            else
                out += QString(run, c);
        }
        i += run;
    }
    // "H:mm:ss (t)": the brackets went with the zone.
    out.replace(QLatin1String("()"), QString());
    return out.trimmed();
}

// First character in a Qt format that separates two fields.
QChar separatorOf(const QString &qt, QChar fallback)
{
    bool quoted = false;
    bool seenField = false;
    for (QChar c : qt) {
        if (c == '\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted) continue;
        if (c.isLetter()) {
            seenField = true;
            continue;
        }
        // Blanks and direction marks (Arabic formats) separate nothing.
        if (seenField && !c.isSpace() && c.category() != QChar::Other_Format) return c;
    }
    return fallback;
}

// Currency placement from the locale's own rendering of 1 and -1.
void currencyFrom(const QLocale &locale, TFormatSettings &fs)
{
    fs.currencyString = locale.currencySymbol();
    const QString pos = locale.toCurrencyString(1.0, fs.currencyString, 0);
    const qsizetype at = fs.currencyString.isEmpty() ? 0 : pos.indexOf(fs.currencyString);
    const bool before = at <= 0;
    const qsizetype next = before ? at + fs.currencyString.size() : at - 1;
    const bool blank = !fs.currencyString.isEmpty() && next >= 0 && next < pos.size() && pos[next].isSpace();
    fs.currencyFormat = before ? (blank ? 2 : 0) : (blank ? 3 : 1);
    static const int negFor[] = {1, 5, 12, 8};
    fs.negCurrFormat = negFor[fs.currencyFormat];
    fs.currencyDecimals = 2;
}

TFormatSettings fromQLocale(const QLocale &locale, const QString &name)
{
    TFormatSettings fs;
    fs.localeName = name;
    const QString qtShort = locale.dateFormat(QLocale::ShortFormat);
    const QString qtTime = locale.timeFormat(QLocale::ShortFormat);
    fs.dateSeparator = separatorOf(qtShort, '/');
    fs.timeSeparator = separatorOf(qtTime, ':');
    fs.decimalSeparator = locale.decimalPoint().isEmpty() ? QChar('.') : locale.decimalPoint()[0];
    fs.thousandSeparator = locale.groupSeparator().isEmpty() ? QChar(',') : locale.groupSeparator()[0];
    fs.shortDateFormat = fromQtFormat(qtShort, fs.dateSeparator, '/');
    fs.longDateFormat = fromQtFormat(locale.dateFormat(QLocale::LongFormat), QChar(), QChar());
    fs.shortTimeFormat = fromQtFormat(qtTime, fs.timeSeparator, ':');
    fs.longTimeFormat = fromQtFormat(locale.timeFormat(QLocale::LongFormat), fs.timeSeparator, ':');
    if (fs.longTimeFormat.contains(QLatin1String("ampm"))) {
        fs.timeAMString = locale.amText();
        fs.timePMString = locale.pmText();
    }
    fillNames(locale, fs);
    currencyFrom(locale, fs);
    return fs;
}

TFormatSettings &process()
{
    static TFormatSettings settings = italian();
    return settings;
}

} // namespace

DateOrder TFormatSettings::dateOrder() const
{
    for (QChar c : shortDateFormat) {
        switch (c.toLower().unicode()) {
        case 'd':
            return DateOrder::DMY;
        case 'm':
            return DateOrder::MDY;
        case 'y':
        case 'e':
            return DateOrder::YMD;
        default:
            break;
        }
    }
    return DateOrder::DMY;
}

bool TFormatSettings::forLocale(const QString &name, TFormatSettings &out)
{
    // "it_IT.UTF-8", "de_DE@euro": the encoding and modifier do not change formats.
    QString base = name.trimmed();
    base = base.left(base.indexOf(QRegularExpression(QStringLiteral("[.@]"))));
    if (base == QLatin1String("C") || base == QLatin1String("POSIX")) {
        out = italian();
        return true;
    }
    static const QRegularExpression shape(QStringLiteral("^([A-Za-z]{2,3})(?:[_-]([A-Za-z]{2}|[0-9]{3}))?$"));
    const QRegularExpressionMatch m = shape.match(base);
    if (!m.hasMatch()) return false;
    const QLocale locale(base);
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage) return false;
    if (QLocale::codeToLanguage(m.captured(1)) != locale.language()) return false;
    if (m.capturedLength(2) > 0 && QLocale::codeToTerritory(m.captured(2)) == QLocale::AnyTerritory)
        return false;

    const QString canonical =
        m.capturedLength(2) > 0 ? m.captured(1).toLower() + '_' + m.captured(2).toUpper() : locale.name();
    if (fixedTable(canonical, out)) return true;
    out = fromQLocale(locale, canonical);
    return true;
}

const TFormatSettings &TFormatSettings::current()
{
    return process();
}

void TFormatSettings::setCurrent(const TFormatSettings &settings)
{
    process() = settings;
}

bool TFormatSettings::initFromEnvironment(const QString &commandLineLocale, QString *error)
{
    QString name;
    QString source;
    if (!commandLineLocale.trimmed().isEmpty()) {
        name = commandLineLocale.trimmed();
        source = QStringLiteral("--locale");
    } else if (!qEnvironmentVariable("TONALBA_LOCALE").trimmed().isEmpty()) {
        name = qEnvironmentVariable("TONALBA_LOCALE").trimmed();
        source = QStringLiteral("TONALBA_LOCALE");
    } else {
        // QLocale::system() reads LC_ALL, LC_NUMERIC and LANG; a C/POSIX
        // environment comes back as "C", which counts as Italian.
        name = QLocale::system().name();
        source = QStringLiteral("system locale");
    }

    TFormatSettings fs;
    if (!forLocale(name, fs)) {
        if (error) *error = QStringLiteral("Unknown locale '%1' (from %2)").arg(name, source);
        return false;
    }
    setCurrent(fs);
    return true;
}
