#include "report/chart/frgraphformat.h"

#include "core/formatsettings.h"
#include "core/numformat.h"

#include <cmath>

namespace {
constexpr double EuroRate = 1936.27;
}

QString frGraphAxisText(double value, const QString &yFormat)
{
    if (yFormat.isEmpty()) return QString::number(std::llround(value));
    if (yFormat.size() >= 2 && yFormat[0] == QLatin1Char('[')) {
        const QChar code = yFormat[1];
        if (code == QLatin1Char('1')) {
            TFormatSettings fs = TFormatSettings::current();
            fs.negCurrFormat = 12;     // "€ -1,00"
            return currToStr(value, fs);
        }
        if (code == QLatin1Char('2')) {
            const double euro = std::round(value / EuroRate * 100.0) / 100.0;
            return QStringLiteral("€ ") + floatToStrF(euro, TFloatFormat::Number, 15, 2);
        }
        static const char *const pictures[] = {"0.##", "0.00", "0,.##", "0,.00", "0,"};
        if (code >= QLatin1Char('3') && code <= QLatin1Char('7'))
            return formatFloat(QLatin1String(pictures[code.unicode() - '3']), value);
    }
    return formatFloat(yFormat, value);
}
