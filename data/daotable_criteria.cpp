#include "data/daotable_criteria.h"
#include "core/datetime.h"
#include "core/exceptions.h"
#include "core/numformat.h"

#include <QRegularExpression>

namespace {

bool isTextType(TFieldType t)
{
    return t == ftString || t == ftFixedChar || t == ftWideString || t == ftMemo || t == ftFmtMemo || t == ftBlob;
}

bool isNumericType(TFieldType t)
{
    switch (t) {
    case ftSmallint: case ftInteger: case ftWord: case ftBoolean: case ftFloat: case ftCurrency: case ftBCD:
    case ftAutoInc: case ftLargeint: return true;
    default: return false;
    }
}

bool isDateType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime; }

QString quoted(const QString &value)
{
    return QLatin1Char('"') + QString(value).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// LIKE's own characters stand for themselves inside brackets.
QString likeEscaped(const QString &value)
{
    static const QString special = QStringLiteral("!#*-?[]");
    QString out;
    for (const QChar c : value) {
        if (special.contains(c)) out += QLatin1Char('[') + c + QLatin1Char(']');
        else out += c;
    }
    return out;
}

QString numericCondition(const QString &value)
{
    if (value.isEmpty()) return QStringLiteral(" IS NULL");
    const TFormatSettings &fs = TFormatSettings::current();
    QString v = value;
    v.remove(fs.thousandSeparator);
    v.replace(fs.decimalSeparator, QLatin1Char('.'));
    return QStringLiteral(" = ") + v;
}

QString dateCondition(const QString &value, TFieldType type, bool clean)
{
    if (value.isEmpty()) return QStringLiteral(" IS NULL");
    const QString text = clean ? DaoCriteria::cleanDateText(value) : value;
    TDateTime d = 0;
    switch (type) {
    case ftDate: d = strToDate(text); break;
    case ftTime: d = strToTime(text); break;
    default: d = strToDateTime(text); break;
    }
    QString pattern;
    switch (type) {
    case ftDate: pattern = QStringLiteral("mm\"/\"dd\"/\"yyyy"); break;
    case ftTime: pattern = QStringLiteral("hh\":\"nn\":\"ss"); break;
    default: pattern = QStringLiteral("mm\"/\"dd\"/\"yyyy hh\":\"nn\":\"ss"); break;
    }
    return QStringLiteral(" = #") + formatDateTime(pattern, d) + QLatin1Char('#');
}

QString joinTerms(const QList<TDaoKeyField> &keys, const QStringList &conditions, bool useBrackets)
{
    QStringList terms;
    for (int i = 0; i < keys.size(); ++i)
        terms << QLatin1Char('(') + DaoCriteria::quoteName(keys[i].name, useBrackets) + QLatin1Char(' ')
                     + conditions[i] + QLatin1Char(')');
    return terms.join(QStringLiteral(" AND "));
}

} // namespace

namespace DaoCriteria {

QString quoteName(const QString &name, bool useBrackets)
{
    if (!useBrackets) return name;
    return QLatin1Char('[') + name.split(QLatin1Char('.')).join(QStringLiteral("].[")) + QLatin1Char(']');
}

QString valueText(const QVariant &value, TFieldType type)
{
    if (!value.isValid() || value.isNull()) return QStringLiteral("NULL");
    const int mt = value.metaType().id();
    if (isDateType(type)) {
        TDateTime d = 0;
        if (mt == QMetaType::QDateTime) d = fromQDateTime(value.toDateTime());
        else if (mt == QMetaType::QDate) d = fromQDate(value.toDate());
        else if (mt == QMetaType::Double || mt == QMetaType::Int || mt == QMetaType::LongLong) d = value.toDouble();
        else return value.toString();
        return type == ftDate ? dateToStr(d) : type == ftTime ? timeToStr(d) : dateTimeToStr(d);
    }
    if (mt == QMetaType::Double || mt == QMetaType::Float) return floatToStr(value.toDouble());
    if (mt == QMetaType::Bool) return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return value.toString();
}

QString cleanDateText(const QString &text)
{
    const TFormatSettings &fs = TFormatSettings::current();
    QString s = text;
    s.remove(QString(QChar(0xE3)) + QLatin1Char('.'));
    for (QChar &c : s) {
        if (!c.isDigit() && c != QLatin1Char('/') && c != fs.dateSeparator && c != fs.timeSeparator) c = QLatin1Char(' ');
    }
    const QStringList parts = s.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // The time part is the first piece that holds a time separator; the blanks
    // inside the date or the time are what the cleaning left of other characters.
    int timeAt = -1;
    for (int i = 0; i < parts.size(); ++i) {
        if (parts[i].contains(fs.timeSeparator)) {
            timeAt = i;
            break;
        }
    }
    if (timeAt <= 0) return parts.join(QString());
    return parts.mid(0, timeAt).join(QString()) + QLatin1Char(' ') + parts.mid(timeAt).join(QString());
}

QString locateCriteria(const QList<TDaoKeyField> &keys, const QStringList &values, bool caseInsensitive,
                       bool partialKey, bool useBrackets)
{
    QStringList conditions;
    for (int i = 0; i < keys.size(); ++i) {
        const QString &value = values.value(i);
        const TFieldType t = keys[i].type;
        if (value == QLatin1String("NULL")) {
            conditions << QStringLiteral("IS NULL");
        } else if (isTextType(t)) {
            if (partialKey && caseInsensitive)
                conditions << QStringLiteral(" LIKE LCASE(") + quoted(likeEscaped(value) + QLatin1Char('*')) + QLatin1Char(')');
            else if (partialKey)
                conditions << QStringLiteral(" LIKE ") + quoted(likeEscaped(value) + QLatin1Char('*'));
            else if (caseInsensitive)
                conditions << QStringLiteral(" = LCASE(") + quoted(value.toLower()) + QLatin1Char(')');
            else
                conditions << QStringLiteral(" = ") + quoted(value);
        } else if (isNumericType(t)) {
            conditions << numericCondition(value);
        } else if (isDateType(t)) {
            conditions << dateCondition(value, t, true);
        } else {
            DatabaseError(QStringLiteral("Unable to build Lookup Key SQL!"));
        }
    }
    return joinTerms(keys, conditions, useBrackets);
}

QString lookupCriteria(const QList<TDaoKeyField> &keys, const QStringList &values, bool useBrackets)
{
    QStringList conditions;
    for (int i = 0; i < keys.size(); ++i) {
        const QString &value = values.value(i);
        const TFieldType t = keys[i].type;
        if (value == QLatin1String("NULL")) conditions << QStringLiteral("IS NULL");
        else if (isTextType(t)) conditions << QStringLiteral(" = ") + quoted(value);
        else if (isNumericType(t)) conditions << numericCondition(value);
        else if (isDateType(t)) conditions << dateCondition(value, t, false);
        else DatabaseError(QStringLiteral("Unable to build Key SQL!"));
    }
    return joinTerms(keys, conditions, useBrackets);
}

} // namespace DaoCriteria
