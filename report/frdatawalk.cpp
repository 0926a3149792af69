#include "report/frdatawalk.h"

#include "report/frband.h"
#include "report/frbandprinter.h"
#include "report/frbandview.h"
#include "report/frbandtypes.h"
#include "report/frbuildcursor.h"
#include "report/frbuildstate.h"
#include "report/frcustommemoview.h"
#include "report/frdataset.h"
#include "report/frexpr.h"
#include "report/frgroupchain.h"
#include "report/frpage.h"
#include "report/frpagearea.h"
#include "report/frpagebreaker.h"
#include "report/frreport.h"
#include "report/frresolver.h"
#include "report/frtablebands.h"

#include "core/exceptions.h"

#include <QCoreApplication>
#include <utility>

namespace {
struct LevelTypes
{
    int header, data, footer;
};
constexpr LevelTypes Levels[3] = {{frBand::MasterHeader, frBand::MasterData, frBand::MasterFooter},
                                  {frBand::DetailHeader, frBand::DetailData, frBand::DetailFooter},
                                  {frBand::SubDetailHeader, frBand::SubDetailData, frBand::SubDetailFooter}};
} // namespace

void TfrDataWalk::Run()
{
    int deepest = 0;
    for (int l = 0; l < 3; ++l)
        if (!c.Page->Bands[Levels[l].data]->Objects.isEmpty()) deepest = l + 1;
    if (deepest == 0) return;
    // A subreport walks its own levels inside a record of the page that holds it.
    const int saved = std::exchange(m_deepest, deepest);
    walkLevel(1);
    m_deepest = saved;
}

TfrVariant TfrDataWalk::Evaluate(const QString &expression, TfrBand *context)
{
    TfrBuildState &st = TfrBuildState::instance();
    TfrBand *saved = st.CurBand;
    st.CurBand = context;
    TfrVariant v;
    try {
        v = TfrExpr::instance().Evaluate(expression);
    } catch (const Exception &e) {
        st.CurBand = saved;
        frSetBuildError(QStringLiteral("Errore. ") + e.message());
        throw EAbort();
    }
    st.CurBand = saved;
    return v;
}

TfrBand *TfrDataWalk::outermostGroup() const
{
    TfrBand *h = c.Page->Bands[frBand::GroupHeader];
    return h && h->View ? h : nullptr;
}

void TfrDataWalk::accumulate(TfrBand *b)
{
    b->Accumulate([&](const QString &argument) { return Evaluate(argument, b); });
}

// Groups from `from` inwards take their current values and print their headers.
void TfrDataWalk::initGroups(TfrBand *from, TfrBand *data)
{
    for (TfrBand *g = from; g && g->View; g = g->Next) {
        g->LastGroupValue = Evaluate(g->GroupCondition, data);
        if (g->Footer) g->Footer->Count = 0;
        ++g->LineNo;
        ++g->LineThrough;
        c.Bands->Show(g);
    }
}

// Group footers see every record of their group, not only the last one.
void TfrDataWalk::evaluateGroupFooters()
{
    TfrBuildState &st = TfrBuildState::instance();
    for (TfrBand *f = c.Page->Bands[frBand::GroupFooter]; f && f->View && !frBuildErrorSet(); f = f->Next)
        for (TfrView *o : f->Objects)
            if (auto *m = dynamic_cast<TfrCustomMemoView *>(o)) {
                st.CurBand = f;
                st.CurView = o;
                for (const QString &line : m->Memo) frExpandLine(line, m);
            }
    st.CurView = nullptr;
}

void TfrDataWalk::printQueue()
{
    const QList<TfrBand *> queue = std::exchange(m_queue, {});
    for (TfrBand *b : queue)
        if (b && !b->Objects.isEmpty()) c.Bands->Show(b);
}

void TfrDataWalk::fillPage(TfrBand *data, int reserve)
{
    // An invisible band prints no rows, so it could never fill anything.
    if (!(data->Flags & frBand::FillPage) || data->Height <= 0 || (data->View && !data->View->Visible)) return;
    TfrPage *page = c.Page;
    c.EmptyRows = true;
    for (int rows = TfrPageArea::RowsThatFit(page->CurY, data->Height, page->CurBottomY, reserve);
         rows > 0 && !c.r.Terminated; --rows)
        c.Bands->Show(data);
    c.EmptyRows = false;
}

bool TfrDataWalk::walkLevel(int level)
{
    const LevelTypes &lt = Levels[level - 1];
    TfrPage *page = c.Page;
    bool printedAny = false;
    for (TfrBand *b = page->Bands[lt.data]; b && b->DataSet && !c.r.Terminated; b = b->Next) {
        TfrDataset *ds = b->DataSet;
        ds->First();
        c.DataSetWork(b, 2);
        b->ResetAggregates(0);
        if (level == 1) {
            page->Bands[frBand::CrossData]->ResetColumnAggregates();
            c.Tables->ResetColumns();
        }
        if (!ds->Eof()) accumulate(b);
        b->LineNo = 1;
        // Groups belong to the master level; a detail walk leaves their counters alone.
        if (level == 1)
            for (TfrBand *g = page->Bands[frBand::GroupHeader]; g; g = g->Next) g->LineNo = g->LineThrough = 0;
        if (ds->Eof()) continue;
        TfrBand *groups = level == 1 ? outermostGroup() : nullptr;
        if (groups) initGroups(groups, b);
        m_queue << page->Bands[lt.header];
        const qsizetype headerAt = m_queue.size() - 1;
        if (ds->SkipOnBegin > 0) {
            c.EmptyRows = true;
            for (int i = 0; i < ds->SkipOnBegin && !c.r.Terminated; ++i) c.Bands->Show(b);
            c.EmptyRows = false;
        }
        bool anyPrinted = false;
        while (!ds->Eof() && !c.r.Terminated) {
            if (c.Progress) QCoreApplication::processEvents();
            m_queue << b;
            bool printed = true;
            if (level == m_deepest) {
                printQueue();
            } else if (!walkLevel(level + 1)) {
                if (b->Flags & frBand::PrintIfSubsetEmpty) printQueue();
                else {
                    m_queue.removeLast();
                    printed = false;
                }
            }
            if (printed) anyPrinted = true;
            if (groups) evaluateGroupFooters();
            ds->Next();
            c.DataSetWork(b, 3);
            bool accumulated = false;
            if (groups) {
                TfrBand *breaking = TfrGroupChain::Breaking(groups, ds->Eof(),
                                                            [&](const QString &condition) { return Evaluate(condition, b); });
                if (breaking) {
                    fillPage(b, TfrGroupChain::FooterRoom(breaking, page->Bands[lt.footer]));
                    c.Bands->Show(page->Bands[lt.footer]);
                    // Footers innermost first, up to the breaking group's own.
                    for (TfrBand *g : TfrGroupChain::InnermostFirst(breaking)) {
                        if (g->Footer) {
                            c.Bands->Show(g->Footer);
                            g->Footer->LineNo = 0;
                        }
                    }
                    if (!ds->Eof()) {
                        if (breaking->Flags & frBand::NewPageAfter) c.Breaker->NewPage();
                        initGroups(breaking, b);
                        for (TfrBand *g = breaking; g && g->View; g = g->Next) b->ResetAggregates(g->GroupLevel);
                        accumulate(b);
                        accumulated = true;
                        c.Bands->Show(page->Bands[lt.header]);
                    }
                    b->LineNo = 0;
                }
            }
            if (!accumulated && !ds->Eof()) accumulate(b);
            if (printed) {
                ++page->CurrentNo;
                ++b->LineNo;
                ++b->LineThrough;
                if (!ds->Eof() && (b->Flags & frBand::NewPageAfter)) c.Breaker->NewPage();
            }
        }
        if (!anyPrinted) {
            if (headerAt < m_queue.size()) m_queue.remove(headerAt, m_queue.size() - headerAt);
            continue;
        }
        printedAny = true;
        TfrBand *footer = page->Bands[lt.footer];
        fillPage(b, footer->Objects.isEmpty() ? 0 : footer->Height);
        c.Bands->Show(footer);
    }
    return printedAny;
}
