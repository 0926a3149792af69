#include "tools/mkdiario/diariotemplate.h"

#include "report/chart/frgraphobject.h"
#include "report/chart/frgraphview.h"
#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frdbdataset.h"
#include "report/frdisplayformat.h"
#include "report/frmemoview.h"
#include "report/frpage.h"
#include "report/frpapertable.h"
#include "report/frreport.h"

namespace DiarioTemplate {

namespace {

// Windows colour values (0x00BBGGRR).
constexpr int Red = 0x0000FF;
constexpr int Blue = 0xFF0000;
constexpr int Green = 0x008000;
constexpr int LightGray = 0xE8E8E8;

// A4 portrait at 96 pixels per inch, inside the default margins (38 left and right).
constexpr int PageWidth = 794;
constexpr int Left = 38;
constexpr int Width = 718;

enum Align { AlignLeft = 0, AlignRight = 1, AlignCenter = 2 };

struct Style
{
    int size = 9;
    bool bold = false;
    int align = AlignLeft;
    bool wrap = false;         // word-wrapped and stretched with its band
    int frames = 0;
    int fill = TfrView::NoColor;
    int format = frFormat::pack(frFormat::Text, 0, 0, ',');
};

Style text(int size, bool bold = false, int align = AlignLeft)
{
    Style s;
    s.size = size;
    s.bold = bold;
    s.align = align;
    return s;
}

Style number(int decimals, int size = 8)
{
    Style s = text(size, false, AlignRight);
    s.format = frFormat::pack(frFormat::Number, 1, decimals, ',');
    return s;
}

Style wrapped(int size = 8)
{
    Style s = text(size);
    s.wrap = true;
    return s;
}

class Builder
{
public:
    explicit Builder(TfrReport &report) : m_report(report), m_page(report.Pages[0]) {}

    TfrBandView *band(int type, int top, int height, int flags = 0, const QString &formatText = QString())
    {
        auto *b = static_cast<TfrBandView *>(m_report.CreateObject(frKind::Band));
        b->FrameLines = quint16(type);
        b->Flags = quint16(flags);
        b->FormatText = formatText;
        b->Left = 0;
        b->Top = top;
        b->Width = PageWidth;
        b->Height = height;
        m_page->Add(b);
        return b;
    }

    TfrMemoView *memo(int x, int y, int w, int h, const QString &line, const Style &s, const QString &name = QString())
    {
        auto *m = static_cast<TfrMemoView *>(m_report.CreateObject(frKind::Memo));
        if (!name.isEmpty()) m->Name = name;
        m->Left = x;
        m->Top = y;
        m->Width = w;
        m->Height = h;
        m->Memo = QStringList{line};
        m->FontName = QStringLiteral("Arial");
        m->FontSize = s.size;
        m->FontStyle = s.bold ? TfrCustomMemoView::Bold : 0;
        m->TextLayout = s.align;
        m->Flags = s.wrap ? quint16(TfrCustomMemoView::MemoStretched | TfrCustomMemoView::WordWrap) : 0;
        m->FrameLines = quint16(s.frames);
        m->FillColor = s.fill;
        m->DisplayFormat = s.format;
        m_page->Add(m);
        return m;
    }

private:
    TfrReport &m_report;
    TfrPage *m_page;
};

QString headerField(const char *field) { return QStringLiteral("frm_main.Intesta.") + QLatin1String(field); }

struct Column
{
    const char *title;
    int width;
    QString expression;
    Style style;
};

} // namespace

QString averageObject(const QString &field) { return QStringLiteral("SummaryAvg") + field; }
QString valueDaysObject(const QString &field) { return QStringLiteral("SummaryDays") + field; }

QString valueDaysExpression(const QString &field)
{
    return QStringLiteral("SUM(IF([%1] > 0, 1, 0))").arg(field);
}

QString averageExpression(const QString &field)
{
    // AVG would count the days without a value as 0: the sum is divided by the
    // days that have one, and nothing is shown when there are none.
    const QString days = valueDaysExpression(field);
    return QStringLiteral("IF(%1 > 0, SUM([%2]) / %1, '')").arg(days, field);
}

void build(TfrReport &report, TDataSet *diario)
{
    report.ClearReport();
    TfrPage *page = report.Pages[0];
    page->ChangePaper(frPaper::A4, 2100, 2970, 0);
    // TOTALPAGES needs the first pass.
    report.TwoPass = true;

    auto *dataset = new TfrDBDataSet;
    dataset->setObjectName(QLatin1String(DatasetName));
    dataset->SetDataSet(diario);
    report.AddDataset(dataset, true);

    Builder b(report);

    // Report title: who the diary belongs to.
    b.band(frBand::ReportTitle, 40, 110, frBand::Stretched);
    b.memo(Left, 42, Width, 26, QStringLiteral("Diario della pressione arteriosa"), text(16, true, AlignCenter));
    b.memo(Left, 76, 352, 18, QStringLiteral("Nome: [%1]").arg(headerField("Nome")), text(10, true));
    b.memo(396, 76, 184, 18, QStringLiteral("Data di nascita: [%1]").arg(headerField("Data_Nascita")), text(10));
    // The age of a person without a birth date would count from 1899.
    b.memo(584, 76, 172, 18,
           QStringLiteral("Età: [IF([%1] > 0, [%2], '')] anni").arg(headerField("Data_Nascita"), headerField("Eta")),
           text(10));
    b.memo(Left, 96, 352, 18, QStringLiteral("Altezza: [%1] m").arg(headerField("Altezza")), text(10));
    b.memo(396, 96, 360, 18, QStringLiteral("Terapia in corso dal: [%1]").arg(headerField("Data_terapia")), text(10));
    Style therapy = wrapped(10);
    b.memo(Left, 116, Width, 18, QStringLiteral("Terapia: [%1]").arg(headerField("Terapia")), therapy);

    // One row per day; the pressure and the notes may take several lines.
    Style day = text(8);
    day.format = frFormat::pack(frFormat::Date, 1, 0, ',');
    Style pressure = wrapped();
    const QList<Column> columns = {
        {"Data", 64, QStringLiteral("[Data]"), day},
        {"Max", 36, QStringLiteral("[IF([MAX] > 0, [MAX], '')]"), number(0)},
        {"Min", 36, QStringLiteral("[IF([MIN] > 0, [MIN], '')]"), number(0)},
        {"Puls.", 36, QStringLiteral("[IF([PULS] > 0, [PULS], '')]"), number(0)},
        {"Peso", 46, QStringLiteral("[IF([Peso] > 0, [Peso], '')]"), number(1)},
        {"Massa corporea", 122, QStringLiteral("[S_BMI]"), wrapped()},
        {"Pressione", 170, QStringLiteral("[S_PRE]"), pressure},
        {"Note", 0, QStringLiteral("[Note]"), wrapped()},
    };

    b.band(frBand::PageHeader, 160, 24);
    b.band(frBand::MasterData, 200, 18, frBand::Stretched, QLatin1String(DatasetName));
    int x = Left;
    for (const Column &c : columns) {
        const int w = c.width ? c.width : Left + Width - x;
        Style title = text(8, true, c.style.align == AlignRight ? AlignRight : AlignLeft);
        title.frames = 15;
        title.fill = LightGray;
        b.memo(x, 162, w, 18, QString::fromUtf8(c.title), title);
        TfrMemoView *cell = b.memo(x, 201, w, 15, c.expression, c.style);
        if (c.expression == QLatin1String("[S_BMI]")) {
            // Kept clear of the weight, which is aligned right just before it.
            cell->Left += 4;
            cell->Width -= 4;
        }
        if (c.expression == QLatin1String("[S_PRE]")) {
            // Hypertension from grade 1 on (and isolated systolic) stands out.
            cell->HighlightOn = true;
            cell->HighlightCondition = QStringLiteral("[IRCX] >= 4");
            cell->HighlightStyle = TfrCustomMemoView::Bold;
            cell->HighlightFontColor = Red;
            cell->HighlightFillColor = TfrView::NoColor;
        }
        x += w;
    }

    // Summary: the period actually printed, its averages and the chart of its days.
    b.band(frBand::ReportSummary, 240, 490);
    Style heading = text(10, true);
    heading.frames = 8;
    b.memo(Left, 248, Width, 20, QStringLiteral("Riepilogo del periodo"), heading);
    b.memo(Left, 272, 110, 16, QStringLiteral("Periodo stampato:"), text(9, true));
    b.memo(150, 272, 90, 16, QStringLiteral("dal"), text(9, false, AlignRight));
    b.memo(242, 272, 80, 16, QStringLiteral("[IF(COUNT() > 0, FORMATDATETIME('dd/mm/yyyy', MIN([Data])), '-')]"),
           text(9), QLatin1String(FirstDayObject));
    b.memo(324, 272, 24, 16, QStringLiteral("al"), text(9, false, AlignCenter));
    b.memo(350, 272, 80, 16, QStringLiteral("[IF(COUNT() > 0, FORMATDATETIME('dd/mm/yyyy', MAX([Data])), '-')]"),
           text(9), QLatin1String(LastDayObject));
    b.memo(470, 272, 120, 16, QStringLiteral("Giorni stampati:"), text(9, true));
    b.memo(590, 272, 60, 16, QStringLiteral("[COUNT()]"), number(0, 9), QLatin1String(DayCountObject));

    Style columnTitle = text(8, true, AlignRight);
    b.memo(Left, 294, 200, 16, QStringLiteral("Medie sui giorni con un valore"), text(9, true));
    b.memo(240, 294, 70, 16, QStringLiteral("Media"), columnTitle);
    b.memo(380, 294, 90, 16, QStringLiteral("Giorni"), columnTitle);
    const struct
    {
        const char *field;
        const char *label;
        const char *unit;
        int decimals;
    } averages[] = {
        {"MAX", "Pressione massima", "mmHg", 0},
        {"MIN", "Pressione minima", "mmHg", 0},
        {"PULS", "Pulsazioni", "battiti/min", 0},
        {"Peso", "Peso", "kg", 1},
    };
    int y = 312;
    for (const auto &a : averages) {
        const QString field = QLatin1String(a.field);
        b.memo(Left, y, 200, 16, QString::fromUtf8(a.label), text(9));
        b.memo(240, y, 70, 16, QLatin1Char('[') + averageExpression(field) + QLatin1Char(']'), number(a.decimals, 9),
               averageObject(field));
        b.memo(314, y, 64, 16, QString::fromUtf8(a.unit), text(9));
        b.memo(380, y, 90, 16, QLatin1Char('[') + valueDaysExpression(field) + QLatin1Char(']'), number(0, 9),
               valueDaysObject(field));
        y += 18;
    }

    // Only the days with all three plotted values are charted: a missing
    // reading would drop its line to 0.
    TfrGraphObject::Register();
    auto *chartData = new TfrDBDataSet;
    chartData->setObjectName(QLatin1String(ChartDatasetName));
    chartData->SetDataSet(diario);
    chartData->Filter =
        QStringLiteral("([Diario.\"MAX\"] <> 0) and ([Diario.\"MIN\"] <> 0) and ([Diario.\"PULS\"] <> 0)");
    chartData->Filtered = true;
    report.AddDataset(chartData, true);
    auto *chart = static_cast<TfrGraphView *>(report.CreateObject(frKind::AddIn, QStringLiteral("TfrGraphView")));
    chart->Name = QLatin1String(ChartObject);
    chart->Left = Left;
    chart->Top = 394;
    chart->Width = Width;
    chart->Height = 330;
    chart->FormatText = QLatin1String(ChartDatasetName);
    chart->GraphKind = TfrGraphView::PointsAndLines;
    chart->ChartTitle = QStringLiteral("Andamento del periodo");
    chart->XTitle = QStringLiteral("Giorni con misurazioni");
    chart->YTitle = QStringLiteral("mmHg, battiti/min");
    chart->LabelExpression = QStringLiteral("FORMATDATETIME('dd/mm', [Data])");
    chart->SetSeries({{QStringLiteral("[Diario.\"MAX\"]"), QString::number(Red), QStringLiteral("'Massima'")},
                      {QStringLiteral("[Diario.\"MIN\"]"), QString::number(Blue), QStringLiteral("'Minima'")},
                      {QStringLiteral("[Diario.\"PULS\"]"), QString::number(Green), QStringLiteral("'Pulsazioni'")}});
    report.Pages[0]->Add(chart);

    // Page footer: numbered pages, and when the list was printed.
    b.band(frBand::PageFooter, 750, 24);
    Style rule = text(8);
    rule.frames = 8;
    rule.format = frFormat::pack(frFormat::Date, 1, 0, ',');
    b.memo(Left, 754, 240, 16, QStringLiteral("Tonalba - stampato il [DATE]"), rule);
    Style pages = text(8, false, AlignCenter);
    pages.frames = 8;
    b.memo(278, 754, 240, 16, QStringLiteral("Pagina [PAGE#] di [TOTALPAGES]"), pages);
    Style tail = text(8, false, AlignRight);
    tail.frames = 8;
    tail.fill = TfrView::NoColor;
    b.memo(518, 754, 238, 16, QStringLiteral("[frm_main.Intesta.Nome]"), tail);
}

} // namespace DiarioTemplate
