#pragma once
// The value the expression language computes with: empty (nothing), Null,
// integer, floating point, currency (four exact decimals), date-time (a day
// count), string or Boolean. Conversions follow the regional formats and
// throw EConvertError when a value cannot be turned into the wanted type.

#include "data/fieldtype.h"

#include <QString>
#include <QVariant>

class TfrVariant
{
public:
    enum Type { Empty, Null, Integer, Float, Currency, DateTime, String, Boolean };

    TfrVariant() = default;
    static TfrVariant null() { TfrVariant v; v.m_type = Null; return v; }
    static TfrVariant fromInt(qint64 value) { TfrVariant v; v.m_type = Integer; v.m_int = value; return v; }
    static TfrVariant fromFloat(double value) { TfrVariant v; v.m_type = Float; v.m_float = value; return v; }
    static TfrVariant fromCurrency(double value);   // rounded to four decimals
    static TfrVariant fromCurrencyUnits(qint64 tenThousandths) { TfrVariant v; v.m_type = Currency; v.m_int = tenThousandths; return v; }
    static TfrVariant fromDateTime(double value) { TfrVariant v; v.m_type = DateTime; v.m_float = value; return v; }
    static TfrVariant fromString(const QString &value) { TfrVariant v; v.m_type = String; v.m_string = value; return v; }
    static TfrVariant fromBool(bool value) { TfrVariant v; v.m_type = Boolean; v.m_int = value ? 1 : 0; return v; }
    // A field value: the field's type decides the kind; an invalid QVariant is Null.
    static TfrVariant fromField(const QVariant &value, TFieldType type);

    Type type() const { return m_type; }
    bool isEmpty() const { return m_type == Empty; }
    bool isNull() const { return m_type == Null; }
    bool isEmptyOrNull() const { return m_type == Empty || m_type == Null; }
    bool isString() const { return m_type == String; }
    bool isNumeric() const { return m_type >= Integer && m_type <= DateTime; }

    qint64 intValue() const { return m_int; }               // Integer, Boolean
    qint64 currencyUnits() const { return m_int; }          // Currency
    const QString &stringValue() const { return m_string; }

    // Conversions: Empty gives 0 / ""; Null and unreadable text throw EConvertError.
    double toFloat() const;
    qint64 toInt() const;          // floats round half to even, like the variant rules
    QString toString() const;      // floats in the general form, date-times as date and time
    bool toBool() const;

    // Booleans become the integer 1 or 0 (after every operator and resolve).
    TfrVariant normalized() const;

    QVariant toQVariant() const;
    QString typeName() const;

    bool operator==(const TfrVariant &other) const;   // same kind and value (tests)

private:
    Type m_type = Empty;
    qint64 m_int = 0;
    double m_float = 0;
    QString m_string;
};
