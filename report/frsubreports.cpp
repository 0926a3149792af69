#include "report/frsubreports.h"

#include "report/frband.h"
#include "report/frbandprinter.h"
#include "report/frbandtypes.h"
#include "report/frbuildcursor.h"
#include "report/frbuildstate.h"
#include "report/frdatawalk.h"
#include "report/frpage.h"
#include "report/frpagebreaker.h"
#include "report/frreport.h"
#include "report/frsubreportview.h"

std::pair<int, int> TfrSubReports::Build(TfrSubReportView *s, TfrBand *band)
{
    TfrPage *target = c.r.Pages[s->TargetPage];
    if (!target || target == c.Page || target->IsSubReportBuild) return {c.Current, 0};
    TfrPage *outer = c.Page;
    const int outerLeft = c.Left;
    const int startPage = c.Current;
    m_frames.push_back({outer, outerLeft});
    c.FreshPage = false;   // the subreport starts inside a band, never at the top of a page
    target->IsSubReportBuild = true;
    target->CurY = band->Y + s->Top;
    target->CurX = outer->CurX + s->Left;
    target->CurBottomY = outer->CurBottomY;
    target->CurColumn = 0;
    target->ColumnTop = target->CurY;
    c.Page = target;
    // Columns shift by CurX - Left: the target's objects stand relative to the subreport object.
    c.Left = outerLeft;
    TfrBuildState::instance().CurPage = target;
    c.Bands->Show(target->Bands[frBand::ReportTitle]);
    c.Bands->Show(target->Bands[frBand::ColumnHeader]);
    c.Walk->Run();
    const int endPage = c.Current, endY = target->CurY;
    c.Page = outer;
    c.Left = outerLeft;
    m_frames.pop_back();
    TfrBuildState::instance().CurPage = outer;
    target->IsSubReportBuild = false;
    c.SetCurrent(startPage);
    return {endPage, endY};
}

void TfrSubReports::Break()
{
    TfrBuildState &st = TfrBuildState::instance();
    TfrPage *target = c.Page;
    const Frame top = m_frames.front();   // a copy: breaking may start subreports of its own
    const int savedLeft = c.Left;
    const int next = c.Pages.nextBodyPage(c.Current);
    if (next >= 0) {
        c.SetCurrent(next);
    } else {
        c.Page = top.outer;
        st.CurPage = top.outer;
        c.Left = top.outerLeft;
        c.Breaker->NewPage();
        c.Page = target;
        st.CurPage = target;
    }
    c.Left = savedLeft;
    target->CurY = c.Pages[c.Current].bodyTop;
    target->CurBottomY = top.outer->CurBottomY;
    target->ColumnTop = target->CurY;
    c.Bands->Show(target->Bands[frBand::ColumnHeader]);
    c.FreshPage = true;
}
