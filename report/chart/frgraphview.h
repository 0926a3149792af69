#pragma once
// TfrGraphView: the chart object, an add-in kind of report object. It stores
// its titles, switches, kind and axis format after the common object data;
// its Memo holds three lines per series (value, colour and legend
// expressions) and FormatText names the DatasetTable entry it walks, so
// deleting the chart takes that entry with it.
//
// In output mode Draw walks the dataset once (TfrGraphData), then lays the
// chart out (TfrGraphLayout) and paints it; without a dataset it paints only
// its background and frame. In design mode it shows a fixed sample.

#include "report/chart/frgraphdata.h"
#include "report/frview.h"

#include <QList>
#include <QRect>

struct TfrGraphSeries
{
    QString Value;      // a number per record
    QString Color;      // a Windows colour number, 0x00BBGGRR
    QString Legend;
};

class TfrGraphView : public TfrView
{
public:
    explicit TfrGraphView(TfrReport *report = nullptr);

    enum ChartKind { Bars = 0, BarsAndLines, Triangles, TrianglesAndLines, Points, PointsAndLines, Lines };
    static constexpr int KindCount = 7;

    QString ClassName() const override { return QStringLiteral("TfrGraphView"); }
    bool IsDataBound() const override { return true; }
    void Assign(const TfrView &from) override;
    void LoadFromStream(TfrBinaryReader &reader, int fileVersion) override;
    void SaveToStream(TfrBinaryWriter &writer) const override;
    void Draw(QPainter &canvas) override;

    // The series held in Memo (an incomplete last group counts with empty lines).
    QList<TfrGraphSeries> Series() const;
    void SetSeries(const QList<TfrGraphSeries> &series);

    QString XTitle;
    QString YTitle;
    QString LabelExpression;
    QString ChartTitle;
    bool ShowLegend = true;
    bool ShowTitle = true;
    bool ShowXTitle = true;
    bool ShowYTitle = true;
    int GraphKind = Bars;         // stored as a byte; kept as read
    QString YFormat;

    // Output mode: walks the dataset FormatText names and keeps what it read
    // in LastData. False when there is no such dataset or the read failed
    // (BuildError then says why); expression failures are thrown.
    bool ReadData();

    // What the last output-mode Draw read and where it plotted (for the
    // designer's and the tests' inspection).
    const TfrGraphData &LastData() const { return m_data; }
    QRect LastPlotRect() const { return m_plot; }

private:
    void drawSample(QPainter &canvas);
    void drawChart(QPainter &canvas);

    TfrGraphData m_data;
    QRect m_plot;
};
