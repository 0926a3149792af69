// The chart object: its stream form, how it reads its dataset, and what it
// draws, checked on the records of a recorded page.

#include "report/frbuildcontext.h"
#include "report/chart/frgraphdata.h"
#include "report/chart/frgraphformat.h"
#include "report/chart/frgraphobject.h"
#include "report/chart/frgraphview.h"
#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frbinarywriter.h"
#include "report/frbuilder.h"
#include "report/frbuildstate.h"
#include "report/frdbdataset.h"
#include "report/frdrawmode.h"
#include "report/fremfdevice.h"
#include "report/fremfplayer.h"
#include "report/frmessagesink.h"
#include "report/frpage.h"
#include "report/frprintersettings.h"
#include "report/frregistry.h"
#include "report/frreport.h"

#include "core/formatsettings.h"
#include "tests/data/memorydataset.h"

#include <QGuiApplication>
#include <QPainter>
#include <QtEndian>
#include <gtest/gtest.h>
#include <cmath>

namespace {
int argc = 1;
char arg0[] = "tst_frgraph";
char *argv[] = {arg0, nullptr};

// The drawing records of an EMF page that a chart makes, with the brush or
// pen colour in force (0x00BBGGRR, -1 for none).
struct Shape
{
    enum Type { Rect, Polygon, Polyline } type;
    QRect rect;                  // Rect: the pixels it covers
    QList<QPoint> points;
    int color;
    bool operator==(const Shape &) const = default;
};

QList<Shape> shapes(const QByteArray &emf)
{
    QList<Shape> out;
    QHash<quint32, std::pair<bool, int>> handles;     // brush?, colour
    int brush = -1, pen = -1;
    qsizetype at = 0;
    const auto u32 = [&emf](qsizetype pos) { return qFromLittleEndian<quint32>(emf.constData() + pos); };
    while (at + 8 <= emf.size()) {
        const quint32 type = u32(at), size = u32(at + 4);
        if (size < 8 || at + size > emf.size()) break;
        switch (type) {
        case 39: handles[u32(at + 8)] = {true, int(u32(at + 16))}; break;        // CreateBrushIndirect
        case 38: handles[u32(at + 8)] = {false, int(u32(at + 24))}; break;       // CreatePen
        case 37: {                                                                  // SelectObject
            const quint32 h = u32(at + 8);
            if (h == 0x80000005u) brush = -1;
            else if (h == 0x80000008u) pen = -1;
            else if (handles.contains(h)) (handles[h].first ? brush : pen) = handles[h].second;
            break;
        }
        case 43: {                                                                  // Rectangle
            // Filled without a pen, GDI leaves out the last column and row as well.
            const int less = pen == -1 ? 2 : 1;
            const QRect r(QPoint(qint32(u32(at + 8)), qint32(u32(at + 12))),
                          QPoint(qint32(u32(at + 16)) - less, qint32(u32(at + 20)) - less));
            out << Shape{Shape::Rect, r, {}, brush};
            break;
        }
        case 3: case 4: {                                                           // Polygon, Polyline
            Shape s{type == 3 ? Shape::Polygon : Shape::Polyline, {}, {}, type == 3 ? brush : pen};
            const quint32 n = u32(at + 24);
            for (quint32 i = 0; i < n; ++i)
                s.points << QPoint(qint32(u32(at + 28 + 8 * i)), qint32(u32(at + 32 + 8 * i)));
            out << s;
            break;
        }
        default: break;
        }
        at += size;
    }
    return out;
}

QList<Shape> ofColor(const QList<Shape> &all, int color, Shape::Type type)
{
    QList<Shape> out;
    for (const Shape &s : all)
        if (s.color == color && s.type == type) out << s;
    return out;
}

constexpr int Red = 0x0000FF, Green = 0x00FF00;

class Graph : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static QGuiApplication app(argc, argv);
        TFormatSettings it;
        ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        frSetMessageSink([](const QString &, const QString &, TfrMessageIcon) {});
        ASSERT_TRUE(TfrGraphObject::Register());
        form.setObjectName("frm_main");
        frRegistry::registerOwner(&form);
        diario = new TMemoryDataSet(&form);
        diario->setObjectName("Diario");
        diario->addColumn("Giorno", ftString, 10);
        diario->addColumn("A", ftFloat);
        diario->addColumn("B", ftFloat);
        report = new TfrReport(&form);
        report->setObjectName("frReport1");
        report->Scaled = false;
        frSetCurrentReport(report);
        report->Context().DrawMode = frDraw::Mode{true, false, false};
    }
    void TearDown() override
    {
        frSetMessageSink(nullptr);
        frRegistry::unregisterOwner(&form);
        frRegistry::setBuilder(nullptr);
    }

    // A dataset entry "GraficoDS" over Diario, filtered when `filter` is set.
    void chartDataset(const QString &filter = QString())
    {
        auto *ds = new TfrDBDataSet;
        ds->setObjectName("GraficoDS");
        ds->SetDataSet(diario);
        ds->Filter = filter;
        ds->Filtered = !filter.isEmpty();
        report->AddDataset(ds, true);
    }
    void rows(const QList<std::pair<double, double>> &values)
    {
        int day = 1;
        for (const auto &[a, b] : values) diario->addRow({QString("g%1").arg(day++), a, b});
    }
    TfrGraphView *chart(const QList<TfrGraphSeries> &series, const QString &formatText = "GraficoDS")
    {
        auto *g = static_cast<TfrGraphView *>(report->CreateObject(frKind::AddIn, "TfrGraphView"));
        g->Left = 20;
        g->Top = 20;
        g->Width = 600;
        g->Height = 300;
        g->FrameLines = 15;
        g->FormatText = formatText;
        g->SetSeries(series);
        report->Pages[0]->Add(g);
        return g;
    }
    TfrGraphView *plain(const QList<TfrGraphSeries> &series)
    {
        TfrGraphView *g = chart(series);
        g->ShowTitle = g->ShowXTitle = g->ShowYTitle = g->ShowLegend = false;
        return g;
    }
    QByteArray draw(TfrView &v)
    {
        TfrEmfDevice dev(QSize(700, 400));
        QPainter p(&dev);
        v.Draw(p);
        p.end();
        return dev.finish();
    }
    static QStringList texts(const QByteArray &emf)
    {
        QStringList out;
        for (const TfrEmfText &t : TfrEmfPlayer::texts(emf)) out << t.text;
        return out;
    }

    QObject form;
    TMemoryDataSet *diario = nullptr;
    TfrReport *report = nullptr;
};

const QList<TfrGraphSeries> twoSeries = {{"[Diario.\"A\"]", "255", "'Serie A'"}, {"[Diario.\"B\"]", "65280", "'Serie B'"}};
} // namespace

// --- stream form -------------------------------------------------------------

TEST_F(Graph, StoredFieldsFollowTheCommonDataInTheirOrder)
{
    TfrGraphView g(report);
    TfrBinaryWriter w;
    g.SaveToStream(w);
    // Defaults: four empty strings, the four switches on, bars, no Y format.
    EXPECT_EQ(w.data(), QByteArray::fromHex("00000000" "01010101" "00" "00"));

    g.XTitle = "Giorni";
    g.YTitle = "mmHg";
    g.LabelExpression = "[Giorno]";
    g.ChartTitle = "Pressione €";
    g.ShowLegend = false;
    g.ShowTitle = true;
    g.ShowXTitle = false;
    g.ShowYTitle = true;
    g.GraphKind = TfrGraphView::PointsAndLines;
    g.YFormat = "[4]";
    TfrBinaryWriter w2;
    g.SaveToStream(w2);
    const QByteArray expected = QByteArray("\x06Giorni\x04mmHg\x08[Giorno]\x0bPressione \x80", 33)
                                + QByteArray::fromHex("00010001" "05") + QByteArray("\x03[4]", 4);
    EXPECT_EQ(w2.data().toHex().toStdString(), expected.toHex().toStdString());
}

TEST_F(Graph, TemplateWithAChartRoundTripsByteForByte)
{
    chartDataset("[Diario.\"A\"] <> 0");
    TfrGraphView *g = chart(twoSeries);
    g->XTitle = "Giorni";
    g->YTitle = "mmHg";
    g->LabelExpression = "FORMATDATETIME('dd/mm', [Data])";
    g->ChartTitle = "Andamento";
    g->ShowLegend = false;
    g->ShowTitle = false;
    g->ShowXTitle = false;
    g->ShowYTitle = false;
    g->GraphKind = TfrGraphView::Lines;
    g->YFormat = "0.0";
    g->FillColor = 0xFFFFFF;
    g->Visible = false;
    const QByteArray saved = report->SaveTemplateData();

    TfrReport other(&form);
    ASSERT_TRUE(other.LoadTemplateData(saved));
    ASSERT_EQ(other.Pages[0]->Objects.size(), 1);
    auto *back = dynamic_cast<TfrGraphView *>(other.Pages[0]->Objects[0]);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Kind, frKind::AddIn);
    EXPECT_EQ(back->Name, g->Name);
    EXPECT_EQ(back->XTitle, g->XTitle);
    EXPECT_EQ(back->YTitle, g->YTitle);
    EXPECT_EQ(back->LabelExpression, g->LabelExpression);
    EXPECT_EQ(back->ChartTitle, g->ChartTitle);
    EXPECT_EQ(back->ShowLegend, false);
    EXPECT_EQ(back->ShowTitle, false);
    EXPECT_EQ(back->ShowXTitle, false);
    EXPECT_EQ(back->ShowYTitle, false);
    EXPECT_EQ(back->GraphKind, TfrGraphView::Lines);
    EXPECT_EQ(back->YFormat, g->YFormat);
    EXPECT_EQ(back->FormatText, "GraficoDS");
    EXPECT_EQ(back->Memo, g->Memo);
    EXPECT_EQ(back->Series().size(), 2);
    EXPECT_EQ(back->Series()[1].Legend, "'Serie B'");
    EXPECT_EQ(back->Visible, false);
    ASSERT_NE(other.FindDatasetInTable("GraficoDS"), nullptr);
    EXPECT_EQ(other.SaveTemplateData(), saved);

    // The chart owns its dataset entry: deleting it removes the entry.
    other.DeleteObject(back);
    EXPECT_EQ(other.FindDatasetInTable("GraficoDS"), nullptr);
}

TEST_F(Graph, RegisteredAsAnAddInWithCaptionAndEditor)
{
    const TfrAddInObjectInfo *info = frRegistry::findAddIn("TfrGraphView");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->ButtonHint, "Inserisci grafico");
    EXPECT_EQ(info->EditorClassName, "TFrGraphEditor");
    const qsizetype count = frRegistry::addIns().size();
    EXPECT_TRUE(TfrGraphObject::Register());
    EXPECT_EQ(frRegistry::addIns().size(), count);
    std::unique_ptr<TfrView> v(report->CreateObject(frKind::AddIn, "TfrGraphView"));
    EXPECT_EQ(v->Name, "Graph1");
    EXPECT_TRUE(v->IsDataBound());
}

// --- reading the data --------------------------------------------------------

struct RangeCase
{
    const char *name;
    QList<std::pair<double, double>> values;
    double smallest, largest;
    const char *firstLabel, *lastLabel;
};

class GraphRange : public Graph, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(GraphRange, AxisAlwaysHoldsZero)
{
    const RangeCase &c = GetParam();
    chartDataset();
    rows(c.values);
    TfrGraphView *g = plain(twoSeries);
    const QStringList drawn = texts(draw(*g));
    EXPECT_FALSE(frBuildErrorSet()) << frBuildErrorText().toStdString();
    EXPECT_EQ(g->LastData().Smallest, c.smallest);
    EXPECT_EQ(g->LastData().Largest, c.largest);
    // No legend and no labels: the texts are the 21 axis labels, bottom first.
    ASSERT_EQ(drawn.size(), 21);
    EXPECT_EQ(drawn.first(), c.firstLabel);
    EXPECT_EQ(drawn.last(), c.lastLabel);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GraphRange,
    ::testing::Values(RangeCase{"AllPositiveStartAtZero", {{120, 80}, {140, 90}, {100, 60}}, 0, 140, "0", "140"},
                      RangeCase{"AllNegativeEndAtZero", {{-20, -5}, {-40, -10}}, -40, 0, "-40", "0"},
                      RangeCase{"MixedSigns", {{-20, 30}, {10, 5}}, -20, 30, "-20", "30"},
                      RangeCase{"AllZeroNoDivision", {{0, 0}, {0, 0}}, 0, 0, "0", "0"},
                      RangeCase{"NoRecords", {}, 0, 0, "0", "0"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Graph, ReadsLegendsOnceThenEachRecordWithItsDatasetWork)
{
    chartDataset("[Diario.\"A\"] <> 0");
    rows({{120, 80}, {0, 0}, {130, 85}});
    TfrGraphView *g = chart(twoSeries);
    g->LabelExpression = "[Diario.\"Giorno\"]";
    QList<int> ops;
    QStringList names;
    report->OnDataSetWork = [&](const QString &name, TDataSet *ds, int &, int op) {
        ops << op;
        names << name;
        EXPECT_EQ(ds, diario);
    };
    ASSERT_TRUE(g->ReadData());
    EXPECT_EQ(ops, (QList<int>{0, 2, 3, 3, 1}));
    EXPECT_EQ(names.first(), g->Name);
    const TfrGraphData &d = g->LastData();
    EXPECT_EQ(d.Legends, (QStringList{"Serie A", "Serie B"}));
    EXPECT_EQ(d.Colors, (QList<int>{Red, Green}));
    EXPECT_EQ(d.Labels, (QStringList{"g1", "g3"}));
    EXPECT_EQ(d.Values, (QList<QList<double>>{{120, 80}, {130, 85}}));
    EXPECT_FALSE(diario->Active());   // closed again, as it was found
}

TEST_F(Graph, MoreThanTenSeriesIsABuildError)
{
    chartDataset();
    rows({{1, 2}});
    QList<TfrGraphSeries> eleven;
    for (int i = 0; i < 11; ++i) eleven << TfrGraphSeries{"[Diario.\"A\"]", "255", QString()};
    TfrGraphView *g = chart(eleven);
    EXPECT_FALSE(g->ReadData());
    EXPECT_TRUE(frBuildErrorSet());
    EXPECT_TRUE(frBuildErrorText().contains("Il grafico Graph1 ha più di 10 serie.")) << frBuildErrorText().toStdString();
    frClearBuildError();
    eleven.removeLast();
    g->SetSeries(eleven);
    EXPECT_TRUE(g->ReadData());
    EXPECT_EQ(g->LastData().SeriesCount(), 10);
}

TEST_F(Graph, ExpressionErrorsLeaveTheDatasetAsFound)
{
    chartDataset();
    rows({{1, 2}});
    TfrGraphView *g = chart({{"[Diario.\"A\"] +", "255", QString()}});
    EXPECT_ANY_THROW(g->ReadData());
    EXPECT_FALSE(diario->Active());
}

TEST_F(Graph, LongRunsArePlottedAsAveragesOfGroups)
{
    // Ten years of days: groups of ceil(3650 / 500) = 8, the last holding 2.
    chartDataset();
    for (int i = 0; i < 3650; ++i) diario->addRow({QString("d%1").arg(i), 100.0 + i, -double(i % 10)});
    TfrGraphView *g = chart(twoSeries);
    g->LabelExpression = "[Diario.\"Giorno\"]";
    const QByteArray emf = draw(*g);
    ASSERT_FALSE(frBuildErrorSet()) << frBuildErrorText().toStdString();
    const TfrGraphData &d = g->LastData();
    EXPECT_EQ(d.RecordsRead, 3650);
    EXPECT_EQ(d.GroupSize, 8);
    ASSERT_EQ(d.RecordCount(), 457);
    EXPECT_EQ(d.Labels[0], "d0");
    EXPECT_EQ(d.Labels[1], "d8");
    EXPECT_EQ(d.Labels[456], "d3648");
    EXPECT_DOUBLE_EQ(d.Values[0][0], 103.5);
    EXPECT_DOUBLE_EQ(d.Values[0][1], -3.5);
    EXPECT_DOUBLE_EQ(d.Values[456][0], 3748.5);
    EXPECT_DOUBLE_EQ(d.Largest, 3748.5);
    EXPECT_DOUBLE_EQ(d.Smallest, -8.5);    // the last group: records 3648 and 3649
    // Every group has its bar (and the legend its square); labels do not overlap.
    EXPECT_EQ(ofColor(shapes(emf), Red, Shape::Rect).size(), 457 + 1);
    const QList<TfrEmfText> drawn = TfrEmfPlayer::texts(emf);
    double lastRight = -1;
    int labels = 0;
    for (const TfrEmfText &t : drawn)
        if (t.text.startsWith('d')) {
            EXPECT_GT(t.bounds.left(), lastRight) << t.text.toStdString();
            lastRight = t.bounds.right();
            ++labels;
        }
    EXPECT_GT(labels, 5);
}

TEST_F(Graph, FiveHundredRecordsAreKeptAndOneMoreGroups)
{
    TfrGraphData d;
    d.SetSeries({"x"}, {0});
    for (int i = 0; i < 500; ++i) d.AddRecord({double(i)}, QString::number(i));
    d.Finish();
    EXPECT_EQ(d.RecordCount(), 500);
    EXPECT_EQ(d.GroupSize, 1);
    d.AddRecord({500.0}, "500");
    d.Finish();
    EXPECT_EQ(d.GroupSize, 2);
    EXPECT_EQ(d.RecordCount(), 251);
    EXPECT_EQ(d.Labels.last(), "500");
    EXPECT_EQ(d.Values.last().first(), 500.0);
}

// --- drawing -----------------------------------------------------------------

TEST_F(Graph, LegendsLongerThanTwentyCharactersAreCut)
{
    chartDataset();
    rows({{1, 2}});
    TfrGraphView *g = chart({{"[Diario.\"A\"]", "255", "'Pressione sistolica media'"},    // 25
                             {"[Diario.\"B\"]", "65280", "'Pressione diastolic'"}});        // 20
    g->ShowTitle = g->ShowXTitle = g->ShowYTitle = false;
    const QStringList drawn = texts(draw(*g));
    EXPECT_TRUE(drawn.contains("Pressione sistolica.")) << drawn.join('|').toStdString();
    EXPECT_TRUE(drawn.contains("Pressione diastolic")) << drawn.join('|').toStdString();
}

TEST_F(Graph, WithoutItsDatasetOnlyTheFrameIsDrawn)
{
    rows({{1, 2}});
    for (const QString &formatText : {QString(), QString("Mancante")}) {
        TfrGraphView *g = chart(twoSeries, formatText);
        g->ChartTitle = "Titolo";
        int work = 0;
        report->OnDataSetWork = [&](const QString &, TDataSet *, int &, int) { ++work; };
        const QByteArray emf = draw(*g);
        EXPECT_TRUE(texts(emf).isEmpty()) << formatText.toStdString();
        const QList<Shape> all = shapes(emf);
        ASSERT_EQ(all.size(), 1) << formatText.toStdString();
        EXPECT_EQ(all[0].rect, QRect(20, 20, 601, 301));
        EXPECT_EQ(work, 0);
        EXPECT_FALSE(frBuildErrorSet());
    }
}

TEST_F(Graph, BarsFollowTheUnitLayout)
{
    // R = 3 records, S = 2 series: 3 x 5 - 1 = 14 units.
    chartDataset();
    rows({{10, 20}, {30, 5}, {15, 40}});
    TfrGraphView *g = chart(twoSeries);
    g->ChartTitle = "Titolo";
    g->XTitle = "Giorni";
    g->YTitle = "Valori";
    const QList<Shape> all = shapes(draw(*g));
    const QRect plot = g->LastPlotRect();
    ASSERT_GT(plot.width(), 100);
    ASSERT_GT(plot.height(), 100);
    const int bottom = plot.y() + plot.height();
    const double values[3][2] = {{10, 20}, {30, 5}, {15, 40}};
    const QList<Shape> bars[2] = {ofColor(all, Red, Shape::Rect), ofColor(all, Green, Shape::Rect)};
    // The legend's squares come first.
    ASSERT_EQ(bars[0].size(), 4);
    ASSERT_EQ(bars[1].size(), 4);
    EXPECT_EQ(bars[0][0].rect.size(), QSize(10, 10));
    const auto x = [&](int unit) { return plot.x() + int(std::lround(unit * plot.width() / 14.0)); };
    for (int r = 0; r < 3; ++r)
        for (int s = 0; s < 2; ++s) {
            const int unit = r * 5 + 2 * s;
            const int top = int(std::lround(bottom - values[r][s] * plot.height() / 40.0));
            const QRect expected(QPoint(x(unit), top), QPoint(x(unit + 2) - 1, bottom - 1));
            EXPECT_EQ(bars[s][r + 1].rect, expected) << "record " << r << " series " << s;
        }
    // The last bar ends on the plot's right edge; records are one unit apart.
    EXPECT_EQ(bars[1][3].rect.right() + 1, plot.x() + plot.width());
    EXPECT_NEAR(bars[0][2].rect.left() - (bars[1][1].rect.right() + 1), plot.width() / 14.0, 1.0);
}

struct KindCase
{
    int kind;
    int rects, polygons;      // per series, in the series colour
    bool lines;
};

class GraphKinds : public Graph, public ::testing::WithParamInterface<KindCase> {};

TEST_P(GraphKinds, ShapesThenConnectingLinesOnTop)
{
    const KindCase &c = GetParam();
    chartDataset();
    rows({{10, 20}, {30, -5}, {15, 40}});
    TfrGraphView *g = plain(twoSeries);
    g->GraphKind = c.kind;
    const QList<Shape> all = shapes(draw(*g));
    const QRect plot = g->LastPlotRect();
    const QList<Shape> rects = ofColor(all, Red, Shape::Rect);
    const QList<Shape> polygons = ofColor(all, Red, Shape::Polygon);
    const QList<Shape> lines = ofColor(all, Red, Shape::Polyline);
    EXPECT_EQ(rects.size(), c.rects);
    EXPECT_EQ(polygons.size(), c.polygons);
    if (c.kind == TfrGraphView::Points || c.kind == TfrGraphView::PointsAndLines) {
        for (const Shape &p : rects) EXPECT_EQ(p.rect.size(), QSize(6, 6));
    }
    if (c.polygons) {
        // Apex at the value, base on the zero line across the two units.
        ASSERT_EQ(polygons[0].points.size(), 3);
        EXPECT_EQ(polygons[0].points[0].y(), polygons[0].points[1].y());
        EXPECT_LT(polygons[0].points[2].y(), polygons[0].points[0].y());
        EXPECT_EQ(polygons[0].points[0].x(), plot.x());
    }
    if (!c.lines) {
        EXPECT_TRUE(lines.isEmpty());
        return;
    }
    // One line per series through the centres of its slots, after every shape.
    ASSERT_EQ(lines.size(), 1);
    ASSERT_EQ(lines[0].points.size(), 3);
    const qsizetype lineAt = all.indexOf(lines[0]);
    for (qsizetype i = lineAt; i < all.size(); ++i)
        EXPECT_FALSE(all[i].color == Green && all[i].type != Shape::Polyline) << "shape after the lines";
    const int unit = plot.width() / 14;
    EXPECT_NEAR(lines[0].points[0].x(), plot.x() + unit, 1);
    EXPECT_NEAR(lines[0].points[1].x(), plot.x() + 6 * unit, 2);
    EXPECT_GT(lines[0].points[2].y(), lines[0].points[1].y());
}

INSTANTIATE_TEST_SUITE_P(Kinds, GraphKinds,
                         ::testing::Values(KindCase{0, 3, 0, false}, KindCase{1, 3, 0, true},
                                           KindCase{2, 0, 3, false}, KindCase{3, 0, 3, true},
                                           KindCase{4, 3, 0, false}, KindCase{5, 3, 0, true},
                                           KindCase{6, 0, 0, true}),
                         [](const auto &info) { return "Kind" + std::to_string(info.param.kind); });

TEST_F(Graph, AxisLabelFormats)
{
    struct Row
    {
        const char *format;
        double value;
        const char *text;
    } rows[] = {
        {"", 12.5, "13"},
        {"", -7.4, "-7"},
        {"[1]", 1234.5, "€ 1.234,50"},
        {"[1]", -1234.5, "€ -1.234,50"},
        {"[2]", 1936.27, "€ 1,00"},
        {"[2] - Euro", 3872540, "€ 2.000,00"},
        {"[3]", 1234.5, "1234,5"},
        {"[4]", 1234.5, "1234,50"},
        {"[5]", 1234.5, "1.234,5"},
        {"[6]", 1234.5, "1.234,50"},
        {"[7]", 1234.5, "1.235"},
        {"0.000", 2.5, "2,500"},
    };
    for (const Row &r : rows) EXPECT_EQ(frGraphAxisText(r.value, r.format), r.text) << r.format << " " << r.value;
}

TEST_F(Graph, DesignModeShowsTheSampleAndCrossesAnInvisibleChart)
{
    chartDataset();
    rows({{1, 2}});
    TfrGraphView *g = chart(twoSeries);
    frDraw::mode() = frDraw::Mode{false, false, false};
    int work = 0;
    report->OnDataSetWork = [&](const QString &, TDataSet *, int &, int) { ++work; };
    const QList<Shape> sample = shapes(draw(*g));
    for (int colour : {0xFF0000, 0x0000FF, 0x00FF00, 0x000080, 0xFFFF00})
        EXPECT_EQ(ofColor(sample, colour, Shape::Rect).size(), 1) << std::hex << colour;
    EXPECT_TRUE(ofColor(sample, 0x0000FF, Shape::Polyline).isEmpty());
    EXPECT_EQ(work, 0);

    g->Visible = false;
    EXPECT_EQ(ofColor(shapes(draw(*g)), 0x0000FF, Shape::Polyline).size(), 2);
    frDraw::mode() = frDraw::Mode{true, false, false};
    EXPECT_TRUE(shapes(draw(*g)).isEmpty());
}

TEST_F(Graph, ChartInTheSummaryOfABuild)
{
    auto *master = new TfrDBDataSet(&form);
    master->setObjectName("DiarioDS");
    master->SetDataSet(diario);
    chartDataset();
    rows({{120, 80}, {130, 85}});
    frBuilder::install();
    TfrPage *page = report->Pages[0];
    page->ChangePaper(9, 0, 0, 0);
    const auto band = [&](int type, int top, int height, const QString &formatText = QString()) {
        auto *b = static_cast<TfrBandView *>(report->CreateObject(frKind::Band));
        b->FrameLines = quint16(type);
        b->Top = top;
        b->Width = 700;
        b->Height = height;
        b->FormatText = formatText;
        page->Add(b);
    };
    band(frBand::MasterData, 100, 20, "DiarioDS");
    band(frBand::ReportSummary, 200, 320);
    TfrGraphView *g = chart(twoSeries);
    g->Top = 210;
    ASSERT_TRUE(report->BuildReport()) << frBuildErrorText().toStdString();
    ASSERT_EQ(report->EMFPages.Count(), 1);
    const QStringList drawn = texts(report->EMFPages[0].Drawing);
    EXPECT_TRUE(drawn.contains("Serie A"));
    EXPECT_TRUE(drawn.contains("130"));

    // Too many series fail the build with the chart's message.
    QList<TfrGraphSeries> eleven;
    for (int i = 0; i < 11; ++i) eleven << twoSeries[0];
    g->SetSeries(eleven);
    EXPECT_FALSE(report->BuildReport());
    EXPECT_TRUE(frBuildErrorText().contains("più di 10 serie")) << frBuildErrorText().toStdString();
}
