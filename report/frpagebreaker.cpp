#include "report/frpagebreaker.h"

#include "report/frband.h"
#include "report/frbandprinter.h"
#include "report/frbandtypes.h"
#include "report/frbuildcursor.h"
#include "report/frbuilder.h"
#include "report/frbuildstate.h"
#include "report/frpage.h"
#include "report/frpagearea.h"
#include "report/frreport.h"
#include "report/frsubreports.h"

#include "core/exceptions.h"

void TfrPageBreaker::ComputeArea(TfrPage *page)
{
    TfrBand *footer = page->Bands[frBand::PageFooter];
    const TfrPageArea area = TfrPageArea::compute(page->PrnInfo, page->UseMargins, page->Margins,
                                                  footer && !footer->Objects.isEmpty() ? footer->Height : 0,
                                                  page->ColumnCount, page->ColumnGap);
    c.Left = area.Left;
    c.Top = area.Top;
    c.Right = area.Right;
    page->CurBottomY = area.Bottom;
    page->ColumnWidth = area.ColumnWidth;
}

void TfrPageBreaker::StartOutputPage(TfrPage *page, int designIndex, bool tableContinuation)
{
    if (c.Pages.count() >= frBuilder::MaxPages) {
        frSetBuildError(QStringLiteral("Il report supera %1 pagine.").arg(frBuilder::MaxPages));
        throw EAbort();
    }
    c.SetCurrent(c.Pages.start(*page, designIndex, tableContinuation));
    if (c.FirstPageOfDesign < 0) c.FirstPageOfDesign = c.Current;
    if (c.PageStarted) c.PageStarted();
}

void TfrPageBreaker::BreakColumnOrPage()
{
    TfrPage *page = c.Page;
    if (page->IsSubReportBuild && c.SubReports->Inside()) {
        c.SubReports->Break();
        return;
    }
    if (TfrPageArea::WhereNext(page->CurColumn, page->ColumnCount) == TfrPageArea::Break::NextColumn) {
        c.Bands->Show(page->Bands[frBand::ColumnFooter]);
        ++page->CurColumn;
        page->CurX += page->ColumnWidth + page->ColumnGap;
        page->CurY = page->ColumnTop;
        c.Bands->Show(page->Bands[frBand::ColumnHeader]);
        // Not a fresh page: a band too tall for what a column has left may still fit a new page.
        c.FreshPage = false;
        return;
    }
    NewPage();
}

void TfrPageBreaker::NewPage()
{
    if (m_inNewPage) {
        frSetBuildError(QStringLiteral("La banda è più alta della pagina e non può essere stampata."));
        return;
    }
    m_inNewPage = true;
    TfrPage *page = c.Page;
    c.Bands->Show(page->Bands[frBand::ColumnFooter]);
    c.Bands->Show(page->Bands[frBand::PageFooter]);
    ComputeArea(page);
    StartOutputPage(page, c.r.Pages.IndexOf(page));
    c.Bands->Show(page->Bands[frBand::Overlay]);
    page->CurY = c.Top;
    page->CurColumn = 0;
    page->CurX = c.Left;
    c.Bands->Show(page->Bands[frBand::PageHeader]);
    c.Bands->Show(page->Bands[frBand::ColumnHeader]);
    if (c.Current >= 0) c.Pages[c.Current].bodyTop = page->CurY;
    m_inNewPage = false;
    c.FreshPage = true;
}
