#include "report/frband.h"

#include "report/frbandtypes.h"

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

namespace {
// Evaluates each distinct consecutive argument once; empty text counts as 0.
template<typename Apply>
void forEachValue(QMap<QString, TfrBand::Accumulator> &aggregates,
                  const std::function<TfrVariant(const QString &)> &evaluate, Apply apply)
{
    QString lastArgument;
    double lastValue = 0;
    bool haveLast = false;
    for (auto it = aggregates.begin(); it != aggregates.end(); ++it) {
        if (!haveLast || it.value().argument != lastArgument) {
            const TfrVariant v = evaluate(it.value().argument);
            lastValue = (v.isEmpty() || (v.isString() && v.stringValue().isEmpty())) ? 0 : v.toFloat();
            lastArgument = it.value().argument;
            haveLast = true;
        }
        apply(it.key(), it.value(), lastValue);
    }
}

void combine(const QString &function, double &value, int n, double v)
{
    if (function == QLatin1String("SUM")) value += v;
    else if (function == QLatin1String("AVG")) value = (value * n + v) / (n + 1);
    else if (function == QLatin1String("MIN")) value = qMin(value, v);
    else if (function == QLatin1String("MAX")) value = qMax(value, v);
}
} // namespace

void TfrBand::Accumulate(const std::function<TfrVariant(const QString &)> &evaluate, int column)
{
    if (column >= 0)
        while (ColumnCounts.size() <= column) ColumnCounts << 0;
    forEachValue(Aggregates, evaluate, [&](const QString &key, Accumulator &a, double v) {
        combine(a.function, a.value, a.n++, v);
        if (column < 0) return;
        QList<double> &values = ColumnAggregates[key];
        while (values.size() <= column) values << StartValue(a.function);
        combine(a.function, values[column], ColumnCounts[column], v);
    });
    ++Count;
    if (column >= 0) ++ColumnCounts[column];
}

void TfrBand::ResetColumnAggregates()
{
    ColumnAggregates.clear();
    ColumnCounts.clear();
}

bool TfrBand::FindColumnAggregate(const QString &key, int column, double &value) const
{
    const auto it = ColumnAggregates.constFind(key);
    if (it == ColumnAggregates.constEnd() || column < 0 || column >= it.value().size()) return false;
    value = it.value()[column];
    return true;
}

void TfrBand::ResetAggregates(int groupLevel)
{
    const QChar level(char16_t(groupLevel & 0xFFFF));
    for (auto it = Aggregates.begin(); it != Aggregates.end(); ++it)
        if (it.key().endsWith(level)) {
            it.value().value = StartValue(it.value().function);
            it.value().n = 0;
        }
    Count = 0;
}

int TfrBand::AggregateLevel(const TfrBand *band)
{
    if (!band) return 0;
    if (band->Type == frBand::GroupHeader || band->Type == frBand::GroupFooter) return band->GroupLevel;
    if (band->Type == frBand::ReportSummary) return WholeReport;
    return 0;
}

bool TfrBand::FindAggregate(const QString &key, double &value) const
{
    const auto it = Aggregates.constFind(key);
    if (it == Aggregates.constEnd()) return false;
    value = it.value().value;
    return true;
}
