#include "report/frvariant.h"

#include "core/datetime.h"
#include "core/exceptions.h"
#include "core/numformat.h"

#include <cmath>
#include <limits>

namespace {
[[noreturn]] void cannotConvert(const char *from, const char *to)
{
    throw EConvertError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                            .arg(QLatin1String(from), QLatin1String(to)));
}

qint64 roundToInt(double value)
{
    // Outside the 64-bit range (or not a number) a variant cannot become an integer.
    if (!std::isfinite(value) || std::fabs(value) >= 9.2e18) cannotConvert("Double", "Int64");
    return qint64(std::nearbyint(value));
}
} // namespace

TfrVariant TfrVariant::fromCurrency(double value)
{
    const double units = std::nearbyint(value * 10000.0);
    if (!std::isfinite(units) || std::fabs(units) >= 9.2e18) cannotConvert("Double", "Currency");
    return fromCurrencyUnits(qint64(units));
}

TfrVariant TfrVariant::fromField(const QVariant &value, TFieldType type)
{
    if (!value.isValid() || value.isNull()) return null();
    switch (type) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
        return fromInt(value.toLongLong());
    case ftFloat: case ftBCD:
        return fromFloat(value.toDouble());
    case ftCurrency:
        return fromCurrency(value.toDouble());
    case ftDate: case ftTime: case ftDateTime:
        return fromDateTime(value.toDouble());
    case ftBoolean:
        return fromBool(value.toBool());
    default:
        break;
    }
    switch (value.typeId()) {
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::ULongLong:
        return fromInt(value.toLongLong());
    case QMetaType::Double:
        return fromFloat(value.toDouble());
    case QMetaType::Bool:
        return fromBool(value.toBool());
    case QMetaType::QByteArray:
        return fromString(QString::fromLatin1(value.toByteArray()));
    default:
        return fromString(value.toString());
    }
}

double TfrVariant::toFloat() const
{
    switch (m_type) {
    case Empty: return 0;
    case Null: cannotConvert("Null", "Double");
    case Integer: case Boolean: return double(m_int);
    case Currency: return double(m_int) / 10000.0;
    case Float: case DateTime: return m_float;
    case String: {
        double out = 0;
        if (!tryStrToFloat(m_string, out))
            throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(m_string));
        return out;
    }
    }
    return 0;
}

qint64 TfrVariant::toInt() const
{
    switch (m_type) {
    case Integer: case Boolean: return m_int;
    case Empty: return 0;
    case Null: cannotConvert("Null", "Integer");
    default: return roundToInt(toFloat());
    }
}

QString TfrVariant::toString() const
{
    switch (m_type) {
    case Empty: return QString();
    case Null: cannotConvert("Null", "String");
    case Integer: return QString::number(m_int);
    case Boolean: return m_int ? QStringLiteral("True") : QStringLiteral("False");
    case Float: return floatToStr(m_float);
    case Currency: return floatToStr(double(m_int) / 10000.0);
    case DateTime: return dateTimeToStr(m_float);
    case String: return m_string;
    }
    return QString();
}

bool TfrVariant::toBool() const
{
    if (m_type == String) {
        if (m_string.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
        if (m_string.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    }
    return toFloat() != 0;
}

TfrVariant TfrVariant::normalized() const
{
    return m_type == Boolean ? fromInt(m_int ? 1 : 0) : *this;
}

QVariant TfrVariant::toQVariant() const
{
    switch (m_type) {
    case Empty: case Null: return QVariant();
    case Integer: return QVariant(m_int);
    case Boolean: return QVariant(m_int != 0);
    case Currency: return QVariant(double(m_int) / 10000.0);
    case Float: case DateTime: return QVariant(m_float);
    case String: return QVariant(m_string);
    }
    return QVariant();
}

QString TfrVariant::typeName() const
{
    static const char *const names[] = {"empty", "null", "integer", "float", "currency", "datetime", "string", "boolean"};
    return QLatin1String(names[m_type]);
}

bool TfrVariant::operator==(const TfrVariant &other) const
{
    if (m_type != other.m_type) return false;
    switch (m_type) {
    case Empty: case Null: return true;
    case Integer: case Boolean: case Currency: return m_int == other.m_int;
    case Float: case DateTime: return m_float == other.m_float;
    case String: return m_string == other.m_string;
    }
    return false;
}
