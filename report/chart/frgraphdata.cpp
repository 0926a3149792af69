#include "report/chart/frgraphdata.h"

#include <algorithm>

void TfrGraphData::Clear() { *this = TfrGraphData(); }

void TfrGraphData::SetSeries(const QStringList &legends, const QList<int> &colors)
{
    Legends.clear();
    for (const QString &l : legends) Legends << CutLegend(l);
    Colors = colors;
    while (Colors.size() < Legends.size()) Colors << 0xFFFFFF;
}

void TfrGraphData::AddRecord(const QList<double> &values, const QString &label)
{
    QList<double> row = values;
    row.resize(Legends.size(), 0.0);
    Values << row;
    Labels << label;
    ++RecordsRead;
}

QString TfrGraphData::CutLegend(const QString &legend)
{
    if (legend.size() <= MaxLegend) return legend;
    return legend.left(MaxLegend - 1) + QLatin1Char('.');
}

void TfrGraphData::Finish()
{
    const int count = int(Values.size());
    GroupSize = 1;
    if (count > MaxRecords) {
        GroupSize = (count + MaxRecords - 1) / MaxRecords;
        QList<QList<double>> grouped;
        QStringList labels;
        for (int first = 0; first < count; first += GroupSize) {
            const int last = std::min(count, first + GroupSize);
            QList<double> sums(Legends.size(), 0.0);
            for (int r = first; r < last; ++r)
                for (int s = 0; s < sums.size(); ++s) sums[s] += Values[r][s];
            for (double &v : sums) v /= double(last - first);
            grouped << sums;
            labels << Labels[first];
        }
        Values = grouped;
        Labels = labels;
    }
    // The range is taken over what is plotted, so averaged groups fill the height.
    Largest = 0;
    Smallest = 0;
    bool any = false;
    for (const QList<double> &row : std::as_const(Values))
        for (double v : row) {
            if (!any || v > Largest) Largest = v;
            if (!any || v < Smallest) Smallest = v;
            any = true;
        }
    if (Smallest > 0) Smallest = 0;
    if (Largest < 0) Largest = 0;
}
