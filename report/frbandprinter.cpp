#include "report/frbandprinter.h"

#include "report/frband.h"
#include "report/frbandstretch.h"
#include "report/frbandview.h"
#include "report/frbandtypes.h"
#include "report/frbuildcursor.h"
#include "report/frbuildstate.h"
#include "report/frcustommemoview.h"
#include "report/frdbdataset.h"
#include "report/frpage.h"
#include "report/frpagearea.h"
#include "report/frpagebreaker.h"
#include "report/frpagepreparer.h"
#include "report/frreport.h"
#include "report/frsubreports.h"
#include "report/frsubreportview.h"
#include "report/frtablebands.h"

#include "core/exceptions.h"

#include <QPainter>
#include <QSet>
#include <algorithm>
#include <utility>

namespace {
const QString TooTall = QStringLiteral("La banda è più alta della pagina e non può essere stampata.");

bool footerOfLevel(const TfrBand *b)
{
    return b->Type == frBand::MasterFooter || b->Type == frBand::DetailFooter || b->Type == frBand::SubDetailFooter
           || b->Type == frBand::GroupFooter;
}
} // namespace

TfrBand *TfrBandPrinter::dataBandOf(TfrBand *footer) const
{
    switch (footer->Type) {
    case frBand::DetailFooter: return c.Page->Bands[frBand::DetailData];
    case frBand::SubDetailFooter: return c.Page->Bands[frBand::SubDetailData];
    default: return c.Page->Bands[frBand::MasterData];
    }
}

void TfrBandPrinter::Restore(TfrBand *b)
{
    for (TfrView *o : b->Objects) {
        const QRect rel = c.Preparer->Relative(o);
        o->Left = rel.left();
        o->Top = rel.top();
        o->Width = rel.width();
        o->Height = rel.height();
        if (auto *m = dynamic_cast<TfrCustomMemoView *>(o)) m->DrawMode = TfrCustomMemoView::DrawNormal;
    }
}

void TfrBandPrinter::DrawObject(TfrView *o, TfrBand *b, int dx, int dy)
{
    TfrBuildState &st = TfrBuildState::instance();
    st.CurBand = b;
    st.CurView = o;
    o->Left += dx;
    o->Top += dy;
    if (c.r.OnDrawObject) c.r.OnDrawObject(o);
    QPainter *canvas = c.Canvas();
    try {
        if (canvas) o->Draw(*canvas);
        else if (auto *m = dynamic_cast<TfrCustomMemoView *>(o)) m->CalcHeight();
    } catch (const EAbort &) {
        throw;
    } catch (const Exception &e) {
        frSetBuildError(QStringLiteral("Errore. ") + e.message());
    }
    o->Left -= dx;
    o->Top -= dy;
}

// Lays out a stretched band for the current record: text objects measured,
// objects below a grown one pushed down. Returns the band's height.
int TfrBandPrinter::measure(TfrBand *b)
{
    TfrBuildState &st = TfrBuildState::instance();
    for (TfrView *o : b->Objects) {
        auto *m = dynamic_cast<TfrCustomMemoView *>(o);
        if (!m || c.Preparer->IsTableObject(o, b)) continue;
        st.CurBand = b;
        st.CurView = o;
        const int before = m->Height;
        b->MeasuredHeight = b->Height;
        m->DrawMode = TfrCustomMemoView::DrawMeasure;
        QPainter none;
        m->Draw(none);
        m->DrawMode = TfrCustomMemoView::DrawMeasured;
        TfrBandStretch::PushDown(b->Objects, o, before, m->Height - before);
    }
    const int height = TfrBandStretch::Height(b->Objects, b->Height);
    b->MeasuredHeight = height;
    return height;
}

void TfrBandPrinter::Show(TfrBand *b)
{
    if (!b || c.r.Terminated) return;
    TfrBuildState &st = TfrBuildState::instance();
    st.CurBand = b;
    if (b->View && c.r.OnDrawObject) c.r.OnDrawObject(b->View);
    if (b->View && !b->View->Visible) return;
    TfrPage *page = c.Page;
    if (c.EmptyRows) {
        const int dx = c.ColumnOffset();
        for (TfrView *o : b->Objects) {
            if (c.Preparer->IsTableObject(o, b)) continue;
            o->Left += dx;
            o->Top += page->CurY;
            if (QPainter *canvas = c.Canvas()) o->DrawEmpty(*canvas);
            o->Left -= dx;
            o->Top -= page->CurY;
        }
        page->CurY += b->Height;
        return;
    }
    if (b->Type == frBand::ColumnHeader) page->ColumnTop = page->CurY;
    if (b->Objects.isEmpty()) return;

    // Footers show the last record of what they close.
    if (footerOfLevel(b)) {
        TfrBand *data = dataBandOf(b);
        if (data && data->DataSet) {
            TfrDataset *moved = data->DataSet;
            const bool wasEof = moved->Eof();
            auto *db = qobject_cast<TfrDBDataSet *>(moved);
            // A table that ran out still stands on its last record; a range or
            // filter that ended the data left it on a record after the group.
            if (wasEof && db && db->StandsOnLastRecord()) moved = nullptr;
            else {
                moved->Prior();
                c.DataSetWork(data, 4);
            }
            const bool savedEnd = c.FooterFromEnd;
            if (data->Type == frBand::MasterData) c.FooterFromEnd = wasEof;
            layout(b);
            c.FooterFromEnd = savedEnd;
            if (moved) {
                moved->Next();
                c.DataSetWork(data, 3);
            }
            return;
        }
    }
    layout(b);
}

void TfrBandPrinter::layout(TfrBand *b)
{
    TfrPage *page = c.Page;
    const bool fixed = b->Type == frBand::PageFooter || b->Type == frBand::Overlay || b->Type == frBand::None;
    int height = b->Height;
    if (!fixed) {
        if (b->Stretched()) height = measure(b);
        for (TfrBand *n = b->Next; n && frBand::isDataBand(b->Type) && !n->DataSet; n = n->Next) height += n->Height;
        while (!TfrPageArea::Fits(page->CurY, height, page->CurBottomY) && !splittable(b)) {
            // On a fresh page or column nothing would change: stop instead of looping.
            if (c.FreshPage) {
                Restore(b);
                frSetBuildError(TooTall);
                return;
            }
            c.Breaker->BreakColumnOrPage();
            if (c.r.Terminated) return;
        }
    }
    if (fixed) {
        const int y = b->Type == frBand::PageFooter ? page->CurBottomY : b->Y;
        // Overlay, page footer and loose objects belong to the page, not to a column.
        for (TfrView *o : b->Objects)
            if (!c.Preparer->IsTableObject(o, b)) DrawObject(o, b, 0, b->Type == frBand::None ? 0 : y);
        if (b->Type == frBand::PageFooter) {
            b->Y = y;
            c.Tables->Print(b);
            if (c.Current >= 0) c.Pages[c.Current].footerPrinted = true;
        }
        Restore(b);
        return;
    }
    if (!TfrPageArea::Fits(page->CurY, height, page->CurBottomY) && splittable(b)) {
        split(b, height);
        Restore(b);
        newPageAfter(b);
        return;
    }
    drawChain(b);
    c.FreshPage = false;
}

void TfrBandPrinter::drawChain(TfrBand *b)
{
    TfrPage *page = c.Page;
    for (TfrBand *x = b; x; x = x->Next) {
        x->Y = page->CurY;
        const int startPage = c.Current;
        std::pair<int, int> end{c.Current, 0};   // furthest (page, y) a subreport reached
        const int h = x == b && b->Stretched() ? b->MeasuredHeight : x->Height;
        for (TfrView *o : x->Objects) {
            if (c.Preparer->IsTableObject(o, x)) continue;
            if (o->Kind == frKind::SubReport)
                end = std::max(end, c.SubReports->Build(static_cast<TfrSubReportView *>(o), x));
            else DrawObject(o, x, c.ColumnOffset(), x->Y);
        }
        c.Tables->Print(x);
        if (end.first != startPage) {
            // Subreports went on to later pages: this page goes on where the longest ended.
            c.SetCurrent(end.first);
            page->CurY = end.second;
        } else {
            page->CurY = qMax(page->CurY + h, end.second);
        }
        if (x != b) Restore(x);
        if (!frBand::isDataBand(b->Type) || !x->Next || x->Next->DataSet) break;
    }
    Restore(b);
    newPageAfter(b);
}

// Data bands and group headers break by their own rules, in the record loop.
void TfrBandPrinter::newPageAfter(TfrBand *b)
{
    if (b->Type != frBand::MasterData && b->Type != frBand::DetailData && b->Type != frBand::SubDetailData
        && b->Type != frBand::GroupHeader && (b->Flags & frBand::NewPageAfter))
        c.Breaker->NewPage();
}

// Only a band's own objects can be cut: subreports continue on their own,
// and bands printed together with it are not cut with it.
bool TfrBandPrinter::splittable(const TfrBand *b) const
{
    if (!(b->Flags & frBand::BreakBand)) return false;
    if (frBand::isDataBand(b->Type) && b->Next && !b->Next->DataSet) return false;
    return std::none_of(b->Objects.begin(), b->Objects.end(), [&](TfrView *o) {
        return o->Kind == frKind::SubReport || c.Preparer->IsTableObject(o, b);
    });
}

// Draws what fits above the cut, breaks, and repeats with the rest.
void TfrBandPrinter::split(TfrBand *b, int height)
{
    TfrPage *page = c.Page;
    const TfrBand *colFooter = page->Bands[frBand::ColumnFooter];
    int remaining = height;
    QSet<TfrView *> done;
    for (TfrView *o : b->Objects)
        if (c.Preparer->IsTableObject(o, b)) done.insert(o);
    while (remaining > 0 && !c.r.Terminated) {
        const int footerHeight = colFooter->Objects.isEmpty() ? 0 : colFooter->Height;
        const int cut = page->CurBottomY - footerHeight - 2 - page->CurY;
        if (remaining <= page->CurBottomY - page->CurY) {
            b->Y = page->CurY;
            for (TfrView *o : b->Objects)
                if (!done.contains(o)) DrawObject(o, b, c.ColumnOffset(), b->Y);
            page->CurY += remaining;
            break;
        }
        if (cut <= 0) {
            if (c.FreshPage) {
                frSetBuildError(TooTall);
                return;
            }
            c.Breaker->BreakColumnOrPage();
            continue;
        }
        b->Y = page->CurY;
        bool progress = false;
        for (TfrView *o : b->Objects) {
            if (done.contains(o)) continue;
            auto *m = dynamic_cast<TfrCustomMemoView *>(o);
            if (o->Top + o->Height <= cut) {
                DrawObject(o, b, c.ColumnOffset(), b->Y);
                done.insert(o);
                progress = true;
            } else if (o->Top < cut && m) {
                const int fullHeight = o->Height;
                const int first = m->FirstLine;
                o->Height = cut - o->Top;
                if (m->DrawMode == TfrCustomMemoView::DrawNormal) {
                    m->CalcHeight();
                    o->Height = cut - o->Top;
                }
                m->DrawMode = m->DrawMode == TfrCustomMemoView::DrawContinuation ? TfrCustomMemoView::DrawContinuation
                                                                                  : TfrCustomMemoView::DrawMeasured;
                DrawObject(o, b, c.ColumnOffset(), b->Y);
                if (m->FirstLine > first) progress = true;
                m->DrawMode = TfrCustomMemoView::DrawContinuation;
                const int lh = m->SMemo.isEmpty() ? 0 : (m->TextHeight - 2 * m->gapy) / int(m->SMemo.size());
                const int rest = int(m->SMemo.size()) - m->FirstLine;
                if (rest <= 0) done.insert(o);
                o->Height = qMax(rest * lh + 2 * m->gapy, fullHeight - (cut - o->Top));
                o->Top = 0;
            } else if (o->Top < cut) {
                // A picture crossing the cut moves whole to the next page.
                o->Top = 0;
            } else {
                o->Top -= cut;
            }
        }
        page->CurY += cut;
        remaining -= cut;
        int lowest = 0;
        for (TfrView *o : b->Objects)
            if (!done.contains(o)) lowest = qMax(lowest, o->Top + o->Height);
        remaining = qMax(0, qMin(remaining, lowest));
        if (remaining == 0) break;
        if (!progress && c.FreshPage) {
            frSetBuildError(TooTall);
            return;
        }
        c.Breaker->BreakColumnOrPage();
    }
    c.FreshPage = false;
}
