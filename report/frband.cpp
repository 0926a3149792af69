#include "report/frband.h"

QString TfrBand::AggregateKey(const QString &function, const QString &argument, const QString &objectName,
                              int groupLevel)
{
    return function.toUpper() + QLatin1Char('(') + argument + QLatin1Char(')') + objectName
           + QChar(char16_t(objectName.size() & 0xFFFF)) + QChar(char16_t(groupLevel & 0xFFFF));
}

double TfrBand::StartValue(const QString &function)
{
    if (function == QLatin1String("MIN")) return 1E200;
    if (function == QLatin1String("MAX")) return -1E200;
    return 0;
}

void TfrBand::AddAggregate(const QString &function, const QString &argument, const QString &objectName,
                           int groupLevel)
{
    const QString key = AggregateKey(function, argument, objectName, groupLevel);
    if (Aggregates.contains(key)) return;
    const QString f = function.toUpper();
    Aggregates.insert(key, Accumulator{f, argument, StartValue(f)});
}

void TfrBand::Accumulate(const std::function<TfrVariant(const QString &)> &evaluate)
{
    QString lastArgument;
    double lastValue = 0;
    bool haveLast = false;
    for (auto it = Aggregates.begin(); it != Aggregates.end(); ++it) {
        Accumulator &a = it.value();
        if (!haveLast || a.argument != lastArgument) {
            const TfrVariant v = evaluate(a.argument);
            lastValue = (v.isEmpty() || (v.isString() && v.stringValue().isEmpty())) ? 0 : v.toFloat();
            lastArgument = a.argument;
            haveLast = true;
        }
        if (a.function == QLatin1String("SUM")) a.value += lastValue;
        else if (a.function == QLatin1String("AVG")) a.value = (a.value * Count + lastValue) / (Count + 1);
        else if (a.function == QLatin1String("MIN")) a.value = qMin(a.value, lastValue);
        else if (a.function == QLatin1String("MAX")) a.value = qMax(a.value, lastValue);
    }
    ++Count;
}

void TfrBand::ResetAggregates(int groupLevel)
{
    const QChar level(char16_t(groupLevel & 0xFFFF));
    for (auto it = Aggregates.begin(); it != Aggregates.end(); ++it)
        if (it.key().endsWith(level)) it.value().value = StartValue(it.value().function);
    Count = 0;
}

bool TfrBand::FindAggregate(const QString &key, double &value) const
{
    const auto it = Aggregates.constFind(key);
    if (it == Aggregates.constEnd()) return false;
    value = it.value().value;
    return true;
}
