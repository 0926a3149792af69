#pragma once
// The date edit's format, mask and parser, derived from the regional short
// date format: the order of day, month and year, two or four year digits, and
// the system's date separator. A plain value class, so the parsing rules are
// tested without a widget.
//
// Edit format: "DD/MM/YYYY", "MM/DD/YYYY" or "YYYY/MM/DD" (two Y with two-digit
// years), "/" standing for the date separator. The text has the same length,
// the separators in place and blanks where nothing was typed.

#include "core/datetime.h"

enum class TYearDigits { dyDefault, dyFour, dyTwo };

class TDateEditFormat
{
public:
    TDateEditFormat() = default;
    static TDateEditFormat build(TYearDigits digits, const TFormatSettings &fs = TFormatSettings::current());

    DateOrder order() const { return m_order; }
    bool fourDigitYear() const { return m_fourDigits; }
    QChar separator() const { return m_separator; }
    const QString &editFormat() const { return m_format; }
    // The mask in the form's own notation ("!99/99/9999;1; "): every 9 an
    // optional digit, the "/" the separator, blanks shown as `blank`.
    QString editMask(QChar blank) const;
    // The same mask for QLineEdit, whose optional digit is "0".
    QString qtInputMask(QChar blank) const;

    // The value as text ("05/03/2024"); the empty date gives the bare mask.
    QString format(TDateTime value, QChar blank = QLatin1Char(' ')) const;
    QString emptyText(QChar blank = QLatin1Char(' ')) const;
    // True when the text holds nothing but blanks and separators.
    bool isEmptyText(const QString &text) const;

    // Reads a date from the text by the format's positions, then by a free
    // scan; two-digit years are placed in a 60-year window before the current
    // year. False when no valid date results.
    bool parse(const QString &text, TDateTime &out, const TFormatSettings &fs = TFormatSettings::current()) const;

    // A year below 100 put into the century window of 60 around currentYear.
    static int expandYear(int year, int currentYear);
    // Order of the letters in a short date format: the first of D, M, Y or E.
    static DateOrder orderOf(const QString &shortDateFormat);

private:
    bool scan(const QString &text, int &y, int &m, int &d, const TFormatSettings &fs) const;

    DateOrder m_order = DateOrder::DMY;
    bool m_fourDigits = true;
    QChar m_separator = QLatin1Char('/');
    QString m_format = QStringLiteral("DD/MM/YYYY");
};
