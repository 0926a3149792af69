#include "report/chart/frgraphview.h"

#include "report/chart/frgraphformat.h"
#include "report/chart/frgraphlayout.h"
#include "report/frbinaryreader.h"
#include "report/frbinarywriter.h"
#include "report/frbuildstate.h"
#include "report/frdbdataset.h"
#include "report/frdrawmode.h"
#include "report/frexpr.h"
#include "report/frreport.h"

#include "core/exceptions.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <climits>

namespace {
const QColor Navy(0, 0, 128);
const QColor Grey(0x80, 0x80, 0x80);
constexpr int LegendRow = 14;
constexpr int LegendSquare = 10;
constexpr int LegendTextAt = 17;
constexpr int Margin = 2;

// Text whose top-left corner is at `x`, `top` (baseline placed by the ascent,
// as every text of a recorded page).
void textAt(QPainter &canvas, int x, int top, const QString &text)
{
    canvas.drawText(QPointF(x, top + QFontMetrics(canvas.font()).ascent()), text);
}

void centredText(QPainter &canvas, const QRect &strip, const QString &text)
{
    const QFontMetrics fm(canvas.font());
    textAt(canvas, strip.x() + (strip.width() - fm.horizontalAdvance(text)) / 2,
           strip.y() + (strip.height() - fm.height()) / 2, text);
}

bool lined(int kind)
{
    return kind == TfrGraphView::BarsAndLines || kind == TfrGraphView::TrianglesAndLines
           || kind == TfrGraphView::PointsAndLines || kind == TfrGraphView::Lines;
}

QString tooManySeriesMessage(const QString &name)
{
    return QStringLiteral("Il grafico %1 ha più di %2 serie.").arg(name).arg(TfrGraphData::MaxSeries);
}
} // namespace

TfrGraphView::TfrGraphView(TfrReport *report) : TfrView(report)
{
    Kind = frKind::AddIn;
}

void TfrGraphView::Assign(const TfrView &from)
{
    TfrView::Assign(from);
    const auto *g = dynamic_cast<const TfrGraphView *>(&from);
    if (!g) return;
    XTitle = g->XTitle;
    YTitle = g->YTitle;
    LabelExpression = g->LabelExpression;
    ChartTitle = g->ChartTitle;
    ShowLegend = g->ShowLegend;
    ShowTitle = g->ShowTitle;
    ShowXTitle = g->ShowXTitle;
    ShowYTitle = g->ShowYTitle;
    GraphKind = g->GraphKind;
    YFormat = g->YFormat;
}

void TfrGraphView::LoadFromStream(TfrBinaryReader &r, int)
{
    XTitle = r.shortString();
    YTitle = r.shortString();
    LabelExpression = r.shortString();
    ChartTitle = r.shortString();
    ShowLegend = r.u8() != 0;
    ShowTitle = r.u8() != 0;
    ShowXTitle = r.u8() != 0;
    ShowYTitle = r.u8() != 0;
    GraphKind = r.u8();
    YFormat = r.shortString();
}

void TfrGraphView::SaveToStream(TfrBinaryWriter &w) const
{
    w.shortString(XTitle);
    w.shortString(YTitle);
    w.shortString(LabelExpression);
    w.shortString(ChartTitle);
    w.u8(ShowLegend ? 1 : 0);
    w.u8(ShowTitle ? 1 : 0);
    w.u8(ShowXTitle ? 1 : 0);
    w.u8(ShowYTitle ? 1 : 0);
    w.u8(quint8(GraphKind));
    w.shortString(YFormat);
}

QList<TfrGraphSeries> TfrGraphView::Series() const
{
    QList<TfrGraphSeries> out;
    for (qsizetype i = 0; i < Memo.size(); i += 3)
        out << TfrGraphSeries{Memo.value(i), Memo.value(i + 1), Memo.value(i + 2)};
    return out;
}

void TfrGraphView::SetSeries(const QList<TfrGraphSeries> &series)
{
    Memo.clear();
    for (const TfrGraphSeries &s : series) Memo << s.Value << s.Color << s.Legend;
}

bool TfrGraphView::ReadData()
{
    m_data.Clear();
    TfrDataset *ds = Report && !FormatText.isEmpty() ? Report->FindDatasetInTable(FormatText) : nullptr;
    if (!ds) return false;
    const QList<TfrGraphSeries> series = Series();
    if (series.size() > TfrGraphData::MaxSeries) {
        frSetBuildError(tooManySeriesMessage(Name));
        return false;
    }
    auto *db = qobject_cast<TfrDBDataSet *>(ds);
    const auto work = [&](int operation) {
        if (!Report->OnDataSetWork) return;
        int count = ds->RangeEndCount;
        Report->OnDataSetWork(Name, db ? db->DataSet() : nullptr, count, operation);
        ds->RangeEndCount = count;
    };
    if (db) db->DisableDataSetControls = Report->DisableDataSetControls;
    ds->Init();
    work(0);
    if (db && !db->ErrorText().isEmpty()) {
        frSetBuildError(db->ErrorText());
        ds->Exit();
        work(1);
        return false;
    }
    TfrExpr &ex = TfrExpr::instance();
    // An empty value or a Null field plots as 0 rather than failing the build.
    const auto number = [&ex](const QString &expression) {
        if (expression.trimmed().isEmpty()) return 0.0;
        const TfrVariant v = ex.Evaluate(expression);
        return v.isEmptyOrNull() ? 0.0 : v.toFloat();
    };
    try {
        ds->First();
        work(2);
        QStringList legends;
        QList<int> colors;
        for (const TfrGraphSeries &s : series) {
            if (s.Legend.trimmed().isEmpty()) {
                legends << QString();
            } else {
                const TfrVariant v = ex.Evaluate(s.Legend);
                legends << (v.isEmptyOrNull() ? QString() : v.toString());
            }
            colors << (s.Color.trimmed().isEmpty() ? 0xFFFFFF
                                                   : int(qBound(-2147483648.0, number(s.Color), 2147483647.0)));
        }
        m_data.SetSeries(legends, colors);
        QList<double> values(series.size());
        while (!ds->Eof() && !frBuildErrorSet()) {
            for (qsizetype s = 0; s < series.size(); ++s) values[s] = number(series[s].Value);
            QString label;
            if (!LabelExpression.trimmed().isEmpty()) {
                const TfrVariant v = ex.Evaluate(LabelExpression);
                if (!v.isEmptyOrNull()) label = v.toString();
            }
            m_data.AddRecord(values, label);
            ds->Next();
            work(3);
        }
    } catch (...) {
        // The dataset goes back where it was before the error reaches the build.
        ds->Exit();
        work(1);
        throw;
    }
    ds->Exit();
    work(1);
    m_data.Finish();
    return !frBuildErrorSet();
}

void TfrGraphView::Draw(QPainter &canvas)
{
    const bool output = frDraw::mode().output;
    if (output && !Visible) return;
    CalcGaps();
    m_plot = QRect();
    if (output) {
        // The first pass of a two-pass build draws nothing: no need to walk the data.
        const bool ok = !frDraw::mode().suppressed && ReadData();
        DrawBackground(canvas);
        if (ok) drawChart(canvas);
    } else {
        DrawBackground(canvas);
        drawSample(canvas);
    }
    DrawFrame(canvas);
    DrawInvisibleCross(canvas);
}

void TfrGraphView::drawSample(QPainter &canvas)
{
    if (Width < 20 || Height < 20) return;
    canvas.save();
    const int x0 = Left + Width / 8, y0 = Top + Height - Height / 8;
    const int w = Width - Width / 4, h = Height - Height / 4;
    static const QColor colours[] = {Qt::blue, Qt::red, Qt::green, QColor(0x80, 0, 0), Qt::cyan};
    static const int heights[] = {60, 85, 40, 70, 95};
    const int slot = w / 11;
    for (int i = 0; i < 5; ++i) {
        const int bh = h * heights[i] / 100;
        canvas.fillRect(QRect(x0 + slot * (2 * i + 1), y0 - bh, slot, bh), colours[i]);
    }
    canvas.setPen(QPen(Qt::black, 1));
    canvas.drawLine(x0, y0, x0 + w, y0);
    canvas.drawLine(x0, y0, x0, y0 - h);
    canvas.restore();
}

void TfrGraphView::drawChart(QPainter &canvas)
{
    canvas.save();
    int left = Left + Margin, top = Top + Margin;
    int right = Left + Width - Margin, bottom = Top + Height - Margin;
    canvas.setPen(Navy);

    if (ShowTitle) {
        canvas.setFont(frDraw::reportFont(QStringLiteral("Arial"), 16, 0, Report));
        const int h = canvas.font().pixelSize() + 1;
        centredText(canvas, QRect(left, top, right - left, h), ChartTitle);
        top += h;
    }
    if (ShowXTitle) {
        canvas.setFont(frDraw::reportFont(QStringLiteral("Arial"), 10, 0, Report));
        const int h = canvas.font().pixelSize() + 2;
        centredText(canvas, QRect(left, bottom - h, right - left, h), XTitle);
        bottom -= h;
    }
    if (ShowYTitle) {
        canvas.setFont(frDraw::reportFont(QStringLiteral("Arial"), 10, 0, Report));
        const QFontMetrics fm(canvas.font());
        const int h = canvas.font().pixelSize() + 2;
        canvas.save();
        // Rotated a quarter turn: reading upwards, centred on the strip's height.
        canvas.translate(left, (top + bottom + fm.horizontalAdvance(YTitle)) / 2);
        canvas.rotate(-90);
        canvas.drawText(QPointF(0, fm.ascent()), YTitle);
        canvas.restore();
        left += h;
    }

    const QFont small = frDraw::reportFont(QStringLiteral("Arial"), 7, 0, Report);
    const QFontMetrics sm(small);
    const int smallLine = small.pixelSize() + 2;
    canvas.setFont(small);
    QStringList axis;
    int axisWidth = 0;
    {
        const TfrGraphLayout probe(QRect(), 0, 1, m_data.Smallest, m_data.Largest);
        for (int k = 0; k <= TfrGraphLayout::GridSteps; ++k) {
            axis << frGraphAxisText(probe.GridValue(k), YFormat);
            axisWidth = qMax(axisWidth, sm.horizontalAdvance(axis.last()));
        }
    }

    const int series = m_data.SeriesCount();
    QRect legend;
    if (ShowLegend && series > 0) {
        int widest = 0;
        for (const QString &l : m_data.Legends) widest = qMax(widest, sm.horizontalAdvance(l));
        const int w = LegendTextAt + widest + 4;
        legend = QRect(right - w, top + smallLine, w, series * LegendRow + 4);
        right = legend.left() - 6;
    }

    // Room for the top label's upper half and the category labels below.
    const QRect plot(QPoint(left + axisWidth + 6, top + smallLine), QPoint(right - 4, bottom - 2 * smallLine));
    if (plot.width() <= 0 || plot.height() <= 0) {
        canvas.restore();
        return;
    }
    m_plot = plot;
    const int records = m_data.RecordCount();
    const TfrGraphLayout lay(plot, records, series, m_data.Smallest, m_data.Largest);

    if (legend.isValid()) {
        canvas.setPen(QPen(Qt::black, 1));
        canvas.setBrush(Qt::white);
        canvas.drawRect(legend);
        canvas.setBrush(Qt::NoBrush);
        for (int s = 0; s < series; ++s) {
            const int rowTop = legend.top() + 2 + s * LegendRow;
            canvas.fillRect(QRect(legend.left() + 3, rowTop + 2, LegendSquare, LegendSquare),
                            frDraw::color(m_data.Colors[s] & 0xFFFFFF));
            canvas.setPen(Navy);
            textAt(canvas, legend.left() + LegendTextAt, rowTop + (LegendRow - smallLine) / 2 + 1, m_data.Legends[s]);
        }
    }
    canvas.setPen(QPen(Grey, 1, Qt::DotLine));
    for (int k = 0; k <= TfrGraphLayout::GridSteps; ++k) {
        const int y = lay.GridY(k);
        canvas.drawLine(plot.left(), y, plot.left() + plot.width(), y);
    }
    canvas.setPen(Navy);
    for (int k = 0; k <= TfrGraphLayout::GridSteps; ++k)
        textAt(canvas, plot.left() - 4 - sm.horizontalAdvance(axis[k]), lay.GridY(k) - smallLine / 2 + 1, axis[k]);
    canvas.setPen(QPen(Qt::black, 1));
    canvas.drawLine(plot.left(), plot.top(), plot.left(), lay.Bottom());
    canvas.drawLine(plot.left(), lay.ZeroY(), plot.left() + plot.width(), lay.ZeroY());

    const int kind = GraphKind;
    const int zero = lay.ZeroY();
    for (int r = 0; r < records; ++r)
        for (int s = 0; s < series; ++s) {
            const QColor colour = frDraw::color(m_data.Colors[s] & 0xFFFFFF);
            const int x0 = lay.SlotLeft(r, s), x1 = lay.SlotRight(r, s);
            const int y = lay.ValueY(m_data.Values[r][s]);
            switch (kind) {
            case Bars:
            case BarsAndLines:
                if (y != zero) canvas.fillRect(QRect(x0, qMin(y, zero), x1 - x0, qAbs(zero - y)), colour);
                break;
            case Triangles:
            case TrianglesAndLines: {
                canvas.setPen(colour);
                canvas.setBrush(colour);
                const QPoint points[] = {{x0, zero}, {x1, zero}, {(x0 + x1) / 2, y}};
                canvas.drawPolygon(points, 3);
                canvas.setBrush(Qt::NoBrush);
                break;
            }
            case Points:
            case PointsAndLines: {
                const int c = lay.SlotCentre(r, s);
                canvas.fillRect(QRect(c - 3, y - 3, 6, 6), colour);
                break;
            }
            default: break;
            }
        }
    // Connecting lines go on top of the bars, triangles and points.
    if (lined(kind) && records > 1)
        for (int s = 0; s < series; ++s) {
            QPolygon line;
            for (int r = 0; r < records; ++r) line << QPoint(lay.SlotCentre(r, s), lay.ValueY(m_data.Values[r][s]));
            canvas.setPen(QPen(frDraw::color(m_data.Colors[s] & 0xFFFFFF), 1));
            canvas.drawPolyline(line);
        }

    // One label per record; a label that would overlap the previous one is left
    // out, or a long period would print an unreadable smear.
    canvas.setPen(Navy);
    int lastRight = INT_MIN;
    for (int r = 0; r < records; ++r) {
        const QString &label = m_data.Labels[r];
        if (label.isEmpty()) continue;
        const int w = sm.horizontalAdvance(label);
        const int x = (lay.RecordLeft(r) + lay.RecordRight(r)) / 2 - w / 2;
        if (x <= lastRight + 2) continue;
        textAt(canvas, x, lay.Bottom() + smallLine / 2 + 1, label);
        lastRight = x + w;
    }

    canvas.restore();
}
