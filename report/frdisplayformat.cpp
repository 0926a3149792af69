#include "report/frdisplayformat.h"

#include "core/datetime.h"
#include "core/exceptions.h"
#include "core/formatsettings.h"
#include "core/numformat.h"

#include <cmath>

namespace {
QString asText(const TfrVariant &v, const TFormatSettings &fs)
{
    switch (v.type()) {
    case TfrVariant::DateTime: {
        const double d = v.toFloat();
        if (d == 0) return QString();
        const double whole = std::trunc(d);
        const bool hasDate = whole != 0, hasTime = d != whole;
        if (hasDate && hasTime) return formatDateTime(QStringLiteral("dd/mm/yyyy hh:nn:ss"), d, fs);
        if (hasDate) return formatDateTime(QStringLiteral("dd/mm/yyyy"), d, fs);
        return formatDateTime(QStringLiteral("hh:nn:ss"), d, fs);
    }
    case TfrVariant::Float: return floatToStr(v.toFloat(), fs);
    case TfrVariant::Currency: return floatToStr(v.toFloat(), fs);
    default: return v.toString();
    }
}
} // namespace

QString frFormatValue(const TfrVariant &value, int displayFormat, const QString &formatText)
{
    if (value.isEmptyOrNull()) return QString();
    // The time separator is ":" and the decimal separator the format's own while formatting.
    TFormatSettings fs = TFormatSettings::current();
    fs.timeSeparator = QLatin1Char(':');
    if (const int sep = frFormat::separator(displayFormat)) fs.decimalSeparator = QChar(char16_t(sep));
    const int idx = frFormat::index(displayFormat);
    const int decimals = qMin(frFormat::decimals(displayFormat), 18);
    try {
        switch (frFormat::category(displayFormat)) {
        case frFormat::Number: {
            if (value.isString()) return value.stringValue();
            const double d = value.toFloat();
            switch (idx) {
            case 0: return formatFloat(QStringLiteral("0.##"), d, fs);
            case 1: return floatToStrF(d, TFloatFormat::Fixed, 15, decimals, fs);
            case 2: return formatFloat(QStringLiteral("0,.##"), d, fs);
            case 3: return floatToStrF(d, TFloatFormat::Number, 15, decimals, fs);
            default: return formatFloat(formatText, d, fs);
            }
        }
        case frFormat::Date: {
            static const char *const patterns[] = {"dd/mm/yy", "dd/mm/yyyy", "d mmm yyyy", "d mmmm yyyy"};
            const double d = value.toFloat();
            return formatDateTime(idx < 4 ? QLatin1String(patterns[idx]) : formatText, d, fs);
        }
        case frFormat::Time: {
            static const char *const patterns[] = {"hh:nn:ss", "h:nn:ss", "hh:nn", "h:nn"};
            const double d = value.toFloat();
            return formatDateTime(idx < 4 ? QLatin1String(patterns[idx]) : formatText, d, fs);
        }
        case frFormat::Logical: {
            if (idx == 1) {
                int n = 0;
                const bool ok = tryStrToInt(asText(value, fs), n);
                return ok && n != 0 ? QStringLiteral("Si") : QStringLiteral("No");
            }
            const qint64 n = value.toInt();
            if (idx == 2) return n == 0 ? QStringLiteral(" ") : n == 1 ? QStringLiteral("X") : QString::number(n);
            return QString::number(n);
        }
        default:
            return asText(value, fs);
        }
    } catch (const EConvertError &) {
        return asText(value, fs);
    }
}
