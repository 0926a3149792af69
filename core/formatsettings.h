#pragma once
// Regional formats: date order and separators, date and time patterns, number
// separators, month and day names, currency. One process-wide instance, chosen
// at start (command line --locale, then TONALBA_LOCALE, then the system locale;
// C/POSIX counts as it_IT) and replaceable as a whole by tests.

#include <QChar>
#include <QString>
#include <QStringList>

enum class DateOrder { MDY, DMY, YMD };

struct TFormatSettings
{
    QString localeName;               // "it_IT", "en_US", ...
    QChar dateSeparator = '/';
    QChar timeSeparator = ':';
    QChar decimalSeparator = ',';
    QChar thousandSeparator = '.';
    QString shortDateFormat;          // pattern language of formatDateTime: "dd/mm/yyyy"
    QString longDateFormat;           // "dddd d mmmm yyyy"
    QString shortTimeFormat;          // "hh:nn"
    QString longTimeFormat;           // "hh:nn:ss"
    QString timeAMString;             // empty for 24-hour locales
    QString timePMString;
    QStringList longMonthNames;       // 12 entries, January first
    QStringList shortMonthNames;      // 12 entries
    QStringList longDayNames;         // 7 entries, Sunday first
    QStringList shortDayNames;        // 7 entries, Sunday first
    QString currencyString;           // "€"
    int currencyFormat = 2;           // 0 "€1", 1 "1€", 2 "€ 1", 3 "1 €"
    int negCurrFormat = 12;           // Windows negative currency format code
    int currencyDecimals = 2;

    DateOrder dateOrder() const;      // derived from shortDateFormat

    // Formats for a locale name ("it_IT", "en_US", "de_DE", "C", ...). Returns false
    // for a name that names no locale.
    static bool forLocale(const QString &name, TFormatSettings &out);

    // The process-wide settings. Until set, they are it_IT.
    static const TFormatSettings &current();
    static void setCurrent(const TFormatSettings &settings);

    // Start-up choice: commandLineLocale (may be empty), then TONALBA_LOCALE, then
    // the system locale. On an unknown name returns false with an error message.
    static bool initFromEnvironment(const QString &commandLineLocale, QString *error);
};
