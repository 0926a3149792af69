#include "report/frtablebands.h"

#include "report/frband.h"
#include "report/frbandprinter.h"
#include "report/frbandtypes.h"
#include "report/frbuildcursor.h"
#include "report/frbuildstate.h"
#include "report/frcustommemoview.h"
#include "report/frdatawalk.h"
#include "report/frdataset.h"
#include "report/frpage.h"
#include "report/frpagebreaker.h"
#include "report/frpagepreparer.h"
#include "report/frreport.h"
#include "report/frtablerow.h"

bool TfrTableBands::masterAtEnd() const
{
    if (c.FooterFromEnd) return true;
    const TfrBand *master = c.Page->Bands[frBand::MasterData];
    return master && master->DataSet && master->DataSet->Eof();
}

// Makes output page `k` of the current table row current: 0 is the page the
// row started on, the others continue it to the right and are made as needed.
void TfrTableBands::useRowPage(int mainPage, int k)
{
    if (k > 0) {
        while (c.Pages[mainPage].rowPages.size() < k) {
            c.Breaker->StartOutputPage(c.Page, c.Pages[mainPage].designPage, true);
            c.Pages[mainPage].rowPages << c.Current;
        }
        c.SetCurrent(c.Pages[mainPage].rowPages[k - 1]);
    } else {
        c.SetCurrent(mainPage);
    }
}

void TfrTableBands::Print(TfrBand *h)
{
    TfrPage *page = c.Page;
    TfrBand *header = page->Bands[frBand::CrossHeader];
    TfrBand *data = page->Bands[frBand::CrossData];
    TfrBand *footer = page->Bands[frBand::CrossFooter];
    const auto partOf = [&](TfrBand *v) {
        QList<TfrView *> part;
        if (v->View)
            for (TfrView *o : h->Objects)
                if (c.Preparer->IsTableObject(o, h) && c.Preparer->TableOf(o) == v) part << o;
        return part;
    };
    const QList<TfrView *> headerPart = partOf(header), dataPart = partOf(data), footerPart = partOf(footer);
    if (headerPart.isEmpty() && dataPart.isEmpty() && footerPart.isEmpty()) return;
    if (c.Current < 0) return;
    TfrBuildState &st = TfrBuildState::instance();
    const int mainPage = c.Current;
    // In a column the row keeps to the column; the page footer belongs to the page.
    const bool inColumn = h->Type != frBand::PageFooter;
    const int offset = inColumn ? c.ColumnOffset() : 0;
    const int right = inColumn && qMax(1, page->ColumnCount) > 1 ? c.Left + page->ColumnWidth : c.Right;
    TfrTableRow row(header->View ? header->X : data->View ? data->X : footer->X, c.Left, right);
    const auto draw = [&](TfrBand *v, const QList<TfrView *> &part) {
        for (TfrView *o : part) {
            if (auto *m = dynamic_cast<TfrCustomMemoView *>(o)) m->DrawMode = TfrCustomMemoView::DrawNormal;
            c.Bands->DrawObject(o, v, row.X() - v->X + offset, h->Y);
        }
        row.Advance(v->Width);
    };
    const auto place = [&](TfrBand *v, const QList<TfrView *> &part) {
        if (!v->View) return;
        if (row.NeedsNextRowPage(v->Width)) {
            row.StartNextRowPage();
            useRowPage(mainPage, row.RowPage());
            if (page->RepeatTableHeader && v != header && header->View) draw(header, headerPart);
        }
        draw(v, part);
        row.Placed();
    };
    page->ColumnNo = 1;
    place(header, headerPart);
    TfrDataset *ds = data->DataSet;
    if (data->View && ds) {
        ds->First();
        c.DataSetWork(data, 2);
        if (masterAtEnd()) {
            // Footers: as many columns as the master records had, each reading its own totals.
            for (int col = 0; col < m_columns && !c.r.Terminated; ++col) {
                st.TableColumn = col;
                place(data, dataPart);
                st.TableColumn = -1;
                ++page->ColumnNo;
                if (!ds->Eof()) {
                    ds->Next();
                    c.DataSetWork(data, 3);
                }
            }
        } else {
            const bool masterRow = h->Type == frBand::MasterData;
            data->ResetAggregates(0);
            int col = 0;
            while (!ds->Eof() && !c.r.Terminated) {
                data->Accumulate([&](const QString &a) { return TfrDataWalk::Evaluate(a, data); }, masterRow ? col : -1);
                place(data, dataPart);
                ++col;
                ++page->ColumnNo;
                ds->Next();
                c.DataSetWork(data, 3);
            }
            if (masterRow) m_columns = qMax(m_columns, col);
        }
    }
    place(footer, footerPart);
    useRowPage(mainPage, 0);
}
