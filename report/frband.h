#pragma once
// TfrBand: one band of a design page while a report is built, made from a band
// object (or empty for a type the page lacks). This holds what expressions
// read: the band's type and dataset, its record counters, group level, and the
// aggregate accumulators registered for it. Accumulators are kept sorted by
// AggregateKey, so accumulators over the same argument text sit together and
// are evaluated once per record.

#include "report/frvariant.h"

#include <QList>
#include <QMap>
#include <QString>
#include <functional>

class TfrPage;
class TfrBandView;
class TfrDataset;
class TfrView;

class TfrBand
{
public:
    TfrBand(int type, TfrPage *page) : Type(type), Page(page) {}

    int Type;
    TfrPage *Page;
    TfrBand *Next = nullptr, *Prev = nullptr, *Last = nullptr;
    TfrBandView *View = nullptr;
    QList<TfrView *> Objects;
    int X = 0, Y = 0, Width = 0, Height = 0;
    int Flags = 0;               // band options allowed for the type (frBand::Flag)
    int MeasuredHeight = 0;      // stretched bands: the height for the current record
    bool Stretched() const { return Flags & 1; }

    TfrDataset *DataSet = nullptr;
    QString GroupCondition;
    TfrVariant LastGroupValue;
    TfrBand *Footer = nullptr;
    int GroupLevel = 0;

    int LineNo = 0;          // LINE#
    int LineThrough = 0;     // LINETHROUGH#

    struct Accumulator
    {
        QString function;    // SUM, AVG, MIN, MAX
        QString argument;
        double value = 0;
        int n = 0;           // records in value (AVG), since this accumulator's last reset
    };
    QMap<QString, Accumulator> Aggregates;
    int Count = 0;           // records accumulated (n)
    int GroupCount = 0;
    // Table data bands: one accumulator per column, over the master records.
    QMap<QString, QList<double>> ColumnAggregates;
    QList<int> ColumnCounts;

    // Upper-case function, "(", argument, ")", object name, a character whose
    // code is the name's length, a character whose code is the group level.
    static QString AggregateKey(const QString &function, const QString &argument, const QString &objectName,
                                int groupLevel);
    static double StartValue(const QString &function);
    void AddAggregate(const QString &function, const QString &argument, const QString &objectName, int groupLevel);
    // Adds the current record: evaluates each distinct consecutive argument once.
    // With a column (table data bands), the value also goes to that column's accumulators.
    void Accumulate(const std::function<TfrVariant(const QString &)> &evaluate, int column = -1);
    // A group of this level ended.
    void ResetAggregates(int groupLevel);
    // The level an aggregate in a band counts by: its group's level in group
    // bands; in the report summary one that no group ends, since the summary
    // totals the whole report; 0 elsewhere.
    static int AggregateLevel(const TfrBand *band);
    static constexpr int WholeReport = 0xFFFE;
    bool FindAggregate(const QString &key, double &value) const;
    void ResetColumnAggregates();
    bool FindColumnAggregate(const QString &key, int column, double &value) const;
};
