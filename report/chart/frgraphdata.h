#pragma once
// TfrGraphData: the values a chart plots, as read from its dataset: one row
// per plotted record with a value per series, the category labels, the
// series' legends and colours, and the range of the vertical axis.
//
// A chart has at most MaxSeries series (more are refused by the reader) and
// plots at most MaxRecords records: longer walks are averaged over groups of
// consecutive records, each labelled with its first record's label, so a chart
// of any period still prints. The axis range always includes 0.

#include <QList>
#include <QString>
#include <QStringList>

class TfrGraphData
{
public:
    static constexpr int MaxSeries = 10;
    static constexpr int MaxRecords = 500;
    static constexpr int MaxLegend = 20;

    void Clear();
    // Legends are cut to MaxLegend characters (the first 19 and ".").
    void SetSeries(const QStringList &legends, const QList<int> &colors);
    // `values` has one entry per series.
    void AddRecord(const QList<double> &values, const QString &label);
    // Groups the records when there are too many, then sets the range.
    void Finish();

    static QString CutLegend(const QString &legend);

    int SeriesCount() const { return int(Legends.size()); }
    int RecordCount() const { return int(Values.size()); }

    QStringList Legends;
    QList<int> Colors;
    QList<QList<double>> Values;
    QStringList Labels;
    double Largest = 0;
    double Smallest = 0;
    int GroupSize = 1;           // records averaged into one plotted record
    int RecordsRead = 0;
};
