#include "report/designer/frwizard.h"

#include "report/designer/frbanddataform.h"
#include "report/designer/frdatasources.h"
#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frdbdataset.h"
#include "report/frmemoview.h"
#include "report/frpage.h"
#include "report/frreport.h"

#include "data/field.h"

#include <cmath>

namespace {
// Halves to the even neighbour, as the arithmetic this layout was made with.
int roundEven(double v) { return int(std::nearbyint(v)); }

TfrMemoView *text(TfrReport &report, TfrPage *page, int left, int top, int width, int height, const QString &line)
{
    auto *m = static_cast<TfrMemoView *>(report.CreateObject(frKind::Memo));
    m->Left = left;
    m->Top = top;
    m->Width = width;
    m->Height = height;
    m->Memo = QStringList{line};
    m->FrameLines = 0;
    page->Add(m);
    return m;
}

TfrBandView *band(TfrReport &report, TfrPage *page, int type, int top, int height, int width)
{
    auto *b = static_cast<TfrBandView *>(report.CreateObject(frKind::Band));
    b->FrameLines = quint16(type);
    b->Left = 0;
    b->Top = top;
    b->Width = width;
    b->Height = height;
    page->Add(b);
    return b;
}

int layoutOf(int alignment) { return alignment == 1 ? 1 : alignment == 2 ? 2 : 0; }
} // namespace

int frWizard::usableWidth(bool landscape) { return landscape ? 1028 : 719; }

QList<frWizard::Column> frWizard::columns(const QList<int> &widths, int usable)
{
    double total = 0;
    for (int w : widths) total += 32.0 * w + 8;
    total -= 8;
    const double scale = total > 0 ? usable / total : 0;
    QList<Column> out;
    double x = 0;
    for (int w : widths) {
        out.append({roundEven(x + 37), roundEven(32.0 * w * scale)});
        x += (32.0 * w + 8) * scale;
    }
    return out;
}

QList<TfrWizardField> frWizard::fields(TDataSet *ds)
{
    QList<TfrWizardField> out;
    frDataSources::whileOpen(ds, [&] {
        for (const TField *f : ds->Fields()) {
            if (f->IsBlob()) continue;
            const int align = (f->Alignment & Qt::AlignRight) ? 1 : (f->Alignment & Qt::AlignHCenter) ? 2 : 0;
            out.append({f->FieldName, f->DisplayLabel(), f->DisplayWidth(), align, f->DataType() == ftCurrency});
        }
    });
    return out;
}

void frWizard::build(TfrReport &report, TDataSet *dataSet, const QString &title, const QList<TfrWizardField> &fields,
                     bool landscape)
{
    report.ClearReport();
    report.Title = title;
    report.TwoPass = true;
    TfrPage *page = report.Pages[0];
    if (landscape) {
        page->Margins[0] = 38;
        page->Margins[1] = 38;
        page->Margins[2] = 57;
        page->Margins[3] = 38;
        page->ChangePaper(page->PaperSize, page->PaperWidth, page->PaperHeight, 1);
    }
    const int usable = usableWidth(landscape);
    const int bandWidth = page->PrnInfo.pageWidth > 0 ? page->PrnInfo.pageWidth : usable + 75;
    band(report, page, frBand::ReportTitle, 50, 29, bandWidth);
    band(report, page, frBand::PageHeader, 116, 33, bandWidth);
    TfrBandView *data = band(report, page, frBand::MasterData, 206, 21, bandWidth);
    band(report, page, frBand::PageFooter, 272, 29, bandWidth);

    auto *ds = new TfrDBDataSet;
    ds->SetDataSet(dataSet);
    ds->setObjectName(TfrBandDataForm::DatasetName(&report, *data));
    data->FormatText = ds->objectName();
    report.AddDataset(ds, true);

    TfrMemoView *head = text(report, page, 37, 54, usable, 21, title);
    head->TextLayout = 2;
    head->FillColor = 0x808000;        // teal
    head->FontColor = 0xFFFFFF;
    head->FontStyle = TfrCustomMemoView::Bold;
    head->FontSize = 12;

    TfrMemoView *foot = text(report, page, 37, 281, usable, 17, QStringLiteral("Pagina [Page#] di [TotalPages]"));
    foot->TextLayout = 1;
    foot->FrameWidth = 2;
    foot->FrameLines = 8;              // top

    QList<int> widths;
    for (const TfrWizardField &f : fields) widths << f.displayWidth;
    const QList<Column> cols = columns(widths, usable);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const TfrWizardField &f = fields[i];
        TfrMemoView *label = text(report, page, cols[i].left, 124, cols[i].width, 21, f.label);
        label->FontSize = 10;
        label->FontStyle = TfrCustomMemoView::Bold;
        label->FontColor = 0x000080;    // maroon
        label->FrameWidth = 1;
        label->FrameLines = 2;          // bottom
        label->TextLayout = layoutOf(f.alignment);
        const QString quoted = QLatin1Char('"') + f.name + QLatin1Char('"');
        TfrMemoView *value = text(report, page, cols[i].left, 206, cols[i].width, 21,
                                  f.currency ? QStringLiteral("[MONEY(") + quoted + QStringLiteral(")]")
                                             : QLatin1Char('[') + quoted + QLatin1Char(']'));
        value->FontSize = 10;
        value->TextLayout = layoutOf(f.alignment);
    }
}
