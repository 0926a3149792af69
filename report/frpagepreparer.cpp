#include "report/frpagepreparer.h"

#include "report/frband.h"
#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frbuildcursor.h"
#include "report/frbuildstate.h"
#include "report/frcustommemoview.h"
#include "report/frdbdataset.h"
#include "report/frexpr.h"
#include "report/frpage.h"
#include "report/frreport.h"
#include "report/frresolver.h"

#include "core/exceptions.h"

#include <algorithm>

bool TfrPagePreparer::IsTableObject(const TfrView *o, const TfrBand *b) const
{
    return b->Type <= frBand::GroupFooter && m_tableOf.contains(o);
}

void TfrPagePreparer::Prepare(TfrPage *page)
{
    TfrBuildState::instance().CurPage = page;
    for (TfrView *v : page->Objects) v->SaveDesignPosition();
    for (int t = 0; t < frBand::TypeCount; ++t) page->Bands[t] = new TfrBand(t, page);
    // From here on the page must be given back, even if preparing it fails.
    m_prepared.push_back(page);
    page->CurrentNo = 1;
    page->ColumnNo = 1;
    // LINETHROUGH# counts from 1, as LINE# does, and no group resets it.
    for (int t = 0; t < frBand::TypeCount; ++t) page->Bands[t]->LineThrough = 1;
    makeBands(page);
    openDatasets(page);
    registerAggregates(page);
}

void TfrPagePreparer::makeBands(TfrPage *page)
{
    QHash<TfrView *, int> placed;   // object -> 1 in a band, 2 in a vertical band only

    // Vertical bands take the objects inside their horizontal extent.
    for (TfrView *v : page->Objects) {
        auto *bv = dynamic_cast<TfrBandView *>(v);
        if (!bv || bv->BandType() < frBand::CrossHeader || bv->BandType() > frBand::CrossFooter) continue;
        TfrBand *b = page->Bands[bv->BandType()];
        b->View = bv;
        b->X = bv->Left;
        b->Width = bv->Width;
        b->Y = bv->Top;
        b->Height = bv->Height;
        b->DataSet = nullptr;
        for (TfrView *o : page->Objects) {
            if (o->Kind == frKind::Band || placed.contains(o)) continue;
            if (o->Left >= b->X && o->Left + o->Width <= b->X + b->Width) {
                placed.insert(o, 2);
                m_tableOf.insert(o, b);
            }
        }
    }
    for (int t = 0; t <= frBand::GroupFooter; ++t) {
        QList<TfrBandView *> views;
        for (TfrView *v : page->Objects)
            if (auto *bv = dynamic_cast<TfrBandView *>(v); bv && bv->BandType() == t) views << bv;
        std::stable_sort(views.begin(), views.end(), [](TfrBandView *a, TfrBandView *b) { return a->Top < b->Top; });
        TfrBand *prev = nullptr;
        for (TfrBandView *bv : views) {
            TfrBand *b = prev ? new TfrBand(t, page) : page->Bands[t];
            if (prev) {
                prev->Next = b;
                b->Prev = prev;
            }
            prev = b;
            b->View = bv;
            b->Y = bv->Top;
            b->Height = bv->Height;
            b->X = bv->Left;
            b->Width = bv->Width;
            b->GroupCondition = bv->FormatText;
            for (int f : {frBand::Stretched, frBand::NewPageAfter, frBand::PrintIfSubsetEmpty, frBand::BreakBand,
                          frBand::FillPage})
                if ((bv->Flags & f) && frBand::allowsFlag(t, f)) b->Flags |= f;
            if (page->IsSubReportTarget) b->Flags &= ~(frBand::NewPageAfter | frBand::BreakBand);
            QList<TfrView *> subs;
            for (TfrView *o : page->Objects) {
                if (o->Kind == frKind::Band || placed.value(o, 0) == 1) continue;
                if (o->Top < b->Y || o->Top >= b->Y + b->Height - 1) continue;
                if (o->Kind == frKind::SubReport) subs << o;
                else b->Objects << o;
                placed.insert(o, 1);
            }
            b->Objects << subs;
        }
        if (prev) page->Bands[t]->Last = prev;
    }
    // Objects become relative to their band; the rest go to the band of type None.
    for (int t = 0; t <= frBand::GroupFooter; ++t)
        for (TfrBand *b = page->Bands[t]; b; b = b->Next)
            for (TfrView *o : b->Objects) {
                o->Top -= b->Y;
                o->ParentBand = b;
            }
    for (TfrView *o : page->Objects) {
        if (o->Kind == frKind::Band || placed.value(o, 0) == 1) continue;
        o->ParentBand = page->Bands[frBand::None];
        page->Bands[frBand::None]->Objects << o;
    }
    for (TfrView *o : page->Objects) m_relative.insert(o, QRect(o->Left, o->Top, o->Width, o->Height));

    // Group pairs: headers from the last backwards, footers from the first forwards.
    TfrBand *h = page->Bands[frBand::GroupHeader];
    while (h && h->Next) h = h->Next;
    TfrBand *f = page->Bands[frBand::GroupFooter];
    int level = 0;
    for (; h && h->View; h = h->Prev, ++level) {
        h->GroupLevel = level;
        if (f && f->View) {
            h->Footer = f;
            f->GroupLevel = level;
            f = f->Next;
        }
    }
}

void TfrPagePreparer::openDatasets(TfrPage *page)
{
    TfrBuildState &st = TfrBuildState::instance();
    for (int t = 0; t < frBand::TypeCount && !frBuildErrorSet(); ++t) {
        TfrBand *b = page->Bands[t];
        if (!b->View || !frBand::isDataBand(t)) continue;
        st.CurBand = b;
        // The name comes from the type's first band object in page order.
        QString name = b->View->FormatText;
        for (TfrView *v : page->Objects)
            if (auto *bv = dynamic_cast<TfrBandView *>(v); bv && bv->BandType() == t) {
                name = bv->FormatText;
                break;
            }
        TfrDataset *ds = name.isEmpty() ? nullptr : c.r.FindReportDataset(name);
        if (!ds) {
            if (!name.isEmpty()) frSetBuildError(QStringLiteral("Non è stato trovato il frDataset: ") + name);
            continue;
        }
        b->DataSet = ds;
        // A dataset named on several pages is opened once and closed once,
        // so it goes back to the state it was found in.
        if (std::any_of(m_initialised.begin(), m_initialised.end(),
                        [ds](const auto &entry) { return entry.second == ds; }))
            continue;
        auto *db = qobject_cast<TfrDBDataSet *>(ds);
        if (db) db->DisableDataSetControls = c.r.DisableDataSetControls;
        m_initialised.push_back({b, ds});
        ds->Init();
        if (db && !db->ErrorText().isEmpty()) frSetBuildError(db->ErrorText());
        else c.DataSetWork(b, 0);
    }
    st.CurBand = nullptr;
}

// Every text object evaluated once, silently. The datasets are open by now,
// so names of their fields resolve while registering.
void TfrPagePreparer::registerAggregates(TfrPage *page)
{
    TfrBuildState &st = TfrBuildState::instance();
    TfrExpr &ex = TfrExpr::instance();
    for (int t = 0; t < frBand::TypeCount && !frBuildErrorSet(); ++t)
        for (TfrBand *b = page->Bands[t]; b; b = b->Next)
            for (TfrView *o : b->Objects) {
                auto *m = dynamic_cast<TfrCustomMemoView *>(o);
                if (!m) continue;
                TfrBand *table = IsTableObject(o, b) ? TableOf(o) : nullptr;
                st.CurBand = table ? table : b;
                st.CurView = o;
                st.Registering = true;
                st.AggregateGroupLevel = table ? 0 : TfrBand::AggregateLevel(b);
                ex.ParserSilentMode = true;
                for (const QString &line : m->Memo) frExpandLine(line, m);
                ex.ParserSilentMode = false;
                st.Registering = false;
            }
    st.CurBand = nullptr;
    st.CurView = nullptr;
}

void TfrPagePreparer::UnprepareAll()
{
    for (auto it = m_prepared.rbegin(); it != m_prepared.rend(); ++it) unprepare(*it);
    m_prepared.clear();
}

void TfrPagePreparer::unprepare(TfrPage *page)
{
    // The page's bands go below, so their entries go too: later pages must not look at them.
    std::vector<std::pair<TfrBand *, TfrDataset *>> mine;
    std::erase_if(m_initialised, [&](const auto &entry) {
        if (entry.first->Page != page) return false;
        mine.push_back(entry);
        return true;
    });
    for (auto it = mine.rbegin(); it != mine.rend(); ++it) {
        try {
            it->second->Exit();
            c.DataSetWork(it->first, 1);
        } catch (const Exception &) {
            // A dataset that fails to close must not keep the others open.
        }
    }
    for (TfrView *o : page->Objects) {
        o->RestoreDesignPosition();
        o->ParentBand = nullptr;
        if (auto *m = dynamic_cast<TfrCustomMemoView *>(o)) {
            m->DrawMode = TfrCustomMemoView::DrawNormal;
            m->FirstLine = 0;
        }
    }
    for (int t = 0; t < frBand::TypeCount; ++t) {
        TfrBand *b = page->Bands[t];
        while (b) {
            TfrBand *next = b->Next;
            delete b;
            b = next;
        }
        page->Bands[t] = nullptr;
    }
    page->IsSubReportTarget = false;
    page->IsSubReportBuild = false;
}
