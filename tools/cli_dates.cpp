// The one reader of the days given on the tool's command line.

#include "tools/clicommand.h"

#include "core/datetime.h"
#include "core/formatsettings.h"

#include <QDate>
#include <QRegularExpression>
#include <cmath>

bool cliParseDay(const QString &text, TDateTime &out)
{
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const QRegularExpressionMatch m = iso.match(text);
    if (m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!d.isValid()) return false;
        out = fromQDate(d);
        return true;
    }
    // The user's own short date, as typed in the program; a day, not a time.
    TDateTime value = 0;
    if (!tryStrToDate(text.trimmed(), value) || value != std::trunc(value)) return false;
    out = value;
    return true;
}

QString cliDayError(const QString &text)
{
    return QStringLiteral("Data non valida: %1 (atteso AAAA-MM-GG o %2)")
        .arg(text, TFormatSettings::current().shortDateFormat.toUpper().replace(QLatin1Char('Y'), QLatin1Char('A'))
                       .replace(QLatin1Char('D'), QLatin1Char('G')));
}
