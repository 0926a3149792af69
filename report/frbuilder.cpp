#include "report/frbuilder.h"

#include "report/frband.h"
#include "report/frbandtypes.h"
#include "report/frbandstretch.h"
#include "report/frbandview.h"
#include "report/frbuildcontext.h"
#include "report/frcustommemoview.h"
#include "report/frcustompictureview.h"
#include "report/frdbdataset.h"
#include "report/frdrawmode.h"
#include "report/fremfdevice.h"
#include "report/froutputpages.h"
#include "report/frexpr.h"
#include "report/frgroupchain.h"
#include "report/frpage.h"
#include "report/frpagearea.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frresolver.h"
#include "report/frsubreportview.h"
#include "report/frtablerow.h"

#include "core/datetime.h"
#include "core/exceptions.h"
#include "data/field.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {
frBuilder::ProgressWindow &progressWindow()
{
    static frBuilder::ProgressWindow w;
    return w;
}

std::function<bool(TfrReport &)> &designerOpen()
{
    static std::function<bool(TfrReport &)> f;
    return f;
}

struct LevelTypes
{
    int header, data, footer;
};
constexpr LevelTypes Levels[3] = {{frBand::MasterHeader, frBand::MasterData, frBand::MasterFooter},
                                  {frBand::DetailHeader, frBand::DetailData, frBand::DetailFooter},
                                  {frBand::SubDetailHeader, frBand::SubDetailData, frBand::SubDetailFooter}};

// One pass over all design pages.
class Pass
{
public:
    Pass(TfrReport &report, bool firstOfTwo) : r(report), m_firstOfTwo(firstOfTwo), m_pages(!firstOfTwo) {}

    QList<TfrPreparedPage> run()
    {
        TfrBuildState &st = TfrBuildState::instance();
        frDraw::Mode &mode = frDraw::mode();
        const frDraw::Mode savedMode = mode;
        mode.output = true;
        mode.suppressed = m_firstOfTwo;
        mode.pictureValues = false;
        // Whatever fails, from preparation to the program's own handlers, ends as
        // the build's error: the pages prepared so far are always given back.
        try {
            if (r.OnBeginDoc) r.OnBeginDoc();
            resolveValues();
            // Targets are known before any page is prepared: a target page drops
            // its bands' new-page and split options, wherever it stands.
            for (int i = 0; i < r.Pages.Count(); ++i) r.Pages[i]->IsSubReportTarget = false;
            for (int i = 0; i < r.Pages.Count(); ++i)
                for (TfrView *o : r.Pages[i]->Objects)
                    if (auto *s = dynamic_cast<TfrSubReportView *>(o))
                        if (TfrPage *target = r.Pages[s->TargetPage]) target->IsSubReportTarget = true;
            for (int i = 0; i < r.Pages.Count() && !frBuildErrorSet(); ++i) preparePage(r.Pages[i]);
            for (int i = 0; i < r.Pages.Count() && !r.Terminated && !frBuildErrorSet(); ++i) {
                TfrPage *page = r.Pages[i];
                if (page->IsSubReportTarget) continue;
                if (r.OnBeginPage) r.OnBeginPage(i);
                st.CurPage = page;
                buildPage(page, i);
                if (frBuildErrorSet()) break;
                // The design page index, as OnBeginPage receives it.
                if (r.OnEndPage) r.OnEndPage(i);
                const TfrPage *next = r.Pages[i + 1];
                if (!next || !next->ContinueOnPreviousPage) finishOpenPages();
            }
            finishOpenPages();
            if (!frBuildErrorSet() && r.OnEndDoc) r.OnEndDoc();
        } catch (const EAbort &) {
            r.Terminated = true;
        } catch (const Exception &e) {
            frSetBuildError(QStringLiteral("Errore. ") + e.message());
        }
        finishOpenPages();
        for (auto it = m_prepared.rbegin(); it != m_prepared.rend(); ++it) unpreparePage(*it);
        m_prepared.clear();
        st.CurPage = nullptr;
        st.CurBand = nullptr;
        st.CurView = nullptr;
        QList<TfrPreparedPage> pages = m_pages.prepared();
        if (r.InterleavePages && !frBuildErrorSet()) {
            const QList<int> order = m_pages.interleaveOrder();
            if (m_firstOfTwo) {
                st.InterleavedPosition = QList<int>(order.size(), 0);
                for (int at = 0; at < order.size(); ++at) st.InterleavedPosition[order[at]] = at;
            }
            QList<TfrPreparedPage> reordered;
            for (int i : order) reordered << pages[i];
            pages = reordered;
        }
        mode = savedMode;
        return pages;
    }

private:
    // Values bound to database fields are looked up once per build.
    void resolveValues()
    {
        for (int i = 0; i < r.Values.Count(); ++i) {
            TfrValue *v = r.Values.Objects(i);
            if (v->ValueKind != TfrValue::DBField) continue;
            try {
                v->DSetObj = r.FindDataSet(v->DSet);
                v->FieldObj = nullptr;
                if (!v->DSetObj) {
                    frSetBuildError(QStringLiteral("Dataset non assegnato: ") + v->DSet);
                    break;
                }
                if (v->DSetObj->Active()) {
                    v->FieldObj = v->DSetObj->FindField(v->Field);
                    if (!v->FieldObj)
                        frSetBuildError(QStringLiteral("Non è stato possibile reperire il campo: ") + v->DSet
                                        + QLatin1Char('.') + v->Field);
                    else if (isBlobType(v->FieldObj->DataType()))
                        frDraw::mode().pictureValues = true;
                }
            } catch (const Exception &) {
                // A lookup that fails here fails again, with its message, where the value is used.
            }
        }
    }

    // --- preparation -------------------------------------------------------

    void preparePage(TfrPage *page)
    {
        TfrBuildState &st = TfrBuildState::instance();
        st.CurPage = page;
        for (TfrView *v : page->Objects) v->SaveDesignPosition();
        for (int t = 0; t < frBand::TypeCount; ++t) page->Bands[t] = new TfrBand(t, page);
        // From here on the page must be given back, even if preparing it fails.
        m_prepared.push_back(page);
        page->CurrentNo = 1;
        page->ColumnNo = 1;
        // LINETHROUGH# counts from 1, as LINE# does, and no group resets it.
        for (int t = 0; t < frBand::TypeCount; ++t) page->Bands[t]->LineThrough = 1;
        QHash<TfrView *, int> placed;      // object -> 1 in a band, 2 in a vertical band only

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
                    m_verticalOf.insert(o, b);
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
        // Objects become relative to their band; the rest go to the band of type 21.
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
        {
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

        // Report datasets of the data bands.
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
            TfrDataset *ds = name.isEmpty() ? nullptr : r.FindReportDataset(name);
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
            if (db) db->DisableDataSetControls = r.DisableDataSetControls;
            m_initialised.push_back({b, ds});
            ds->Init();
            if (db && !db->ErrorText().isEmpty()) frSetBuildError(db->ErrorText());
            else work(b, 0);
        }
        st.CurBand = nullptr;
        // Aggregates: every text object evaluated once, silently. The datasets are
        // open by now, so names of their fields resolve while registering.
        TfrExpr &ex = TfrExpr::instance();
        for (int t = 0; t < frBand::TypeCount && !frBuildErrorSet(); ++t)
            for (TfrBand *b = page->Bands[t]; b; b = b->Next)
                for (TfrView *o : b->Objects) {
                    auto *m = dynamic_cast<TfrCustomMemoView *>(o);
                    if (!m) continue;
                    TfrBand *table = isTableObject(o, b) ? m_verticalOf.value(o) : nullptr;
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

    void unpreparePage(TfrPage *page)
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
                work(it->first, 1);
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

    void work(TfrBand *b, int operation)
    {
        if (!r.OnDataSetWork || !b->DataSet) return;
        auto *db = qobject_cast<TfrDBDataSet *>(b->DataSet);
        int count = b->DataSet->RangeEndCount;
        r.OnDataSetWork(b->View ? b->View->Name : QString(), db ? db->DataSet() : nullptr, count, operation);
        b->DataSet->RangeEndCount = count;
    }

    // --- output pages ------------------------------------------------------

    void computeArea(TfrPage *page)
    {
        TfrBand *footer = page->Bands[frBand::PageFooter];
        const TfrPageArea area = TfrPageArea::compute(page->PrnInfo, page->UseMargins, page->Margins,
                                                      footer && !footer->Objects.isEmpty() ? footer->Height : 0,
                                                      page->ColumnCount, page->ColumnGap);
        m_left = area.Left;
        m_top = area.Top;
        m_right = area.Right;
        page->CurBottomY = area.Bottom;
        page->ColumnWidth = area.ColumnWidth;
    }

    void startOutputPage(TfrPage *page, int designIndex, bool tableContinuation = false)
    {
        if (m_pages.count() >= frBuilder::MaxPages) {
            frSetBuildError(QStringLiteral("Il report supera %1 pagine.").arg(frBuilder::MaxPages));
            throw EAbort();
        }
        m_current = m_pages.start(*page, designIndex, tableContinuation);
        TfrBuildState::instance().CurPageNo = m_current;
        if (m_firstPageOfDesign < 0) m_firstPageOfDesign = m_current;
        reportProgress();
    }

    void reportProgress()
    {
        const int n = m_current + 1;
        if (r.OnProgress) r.OnProgress(n, true);
        else if (m_progress && progressWindow().update)
            progressWindow().update((m_firstOfTwo ? QStringLiteral("Esecuzione 1° passo:")
                                                  : QStringLiteral("Pagina in costruzione:"))
                                    + QStringLiteral("  ") + QString::number(n));
    }

    void finishOpenPages() { m_pages.finish(); }

    QPainter *canvas() { return m_pages.canvas(m_current); }

    // --- building a design page --------------------------------------------

    void buildPage(TfrPage *page, int index)
    {
        m_page = page;
        m_firstPageOfDesign = -1;
        computeArea(page);
        if (page->ContinueOnPreviousPage && m_current >= 0) {
            page->CurY = m_lastY;
            page->CurBottomY = m_lastBottom;
            m_firstPageOfDesign = m_current;
        } else {
            startOutputPage(page, index);
            page->CurY = m_top;
            showBand(page->Bands[frBand::Overlay]);
        }
        showBand(page->Bands[frBand::None]);
        page->CurColumn = 0;
        page->CurX = m_left;
        page->ColumnTop = page->CurY;
        showBand(page->Bands[frBand::ReportTitle]);
        if (page->HeaderOnFirstPage) showBand(page->Bands[frBand::PageHeader]);
        showBand(page->Bands[frBand::ColumnHeader]);
        m_deepest = 0;
        for (int l = 0; l < 3; ++l)
            if (!page->Bands[Levels[l].data]->Objects.isEmpty()) m_deepest = l + 1;
        if (m_deepest > 0) walkLevel(1);
        if (page->IsSubReportBuild) return;
        showBand(page->Bands[frBand::ColumnFooter]);
        showBand(page->Bands[frBand::ReportSummary]);
        m_lastY = page->CurY;
        m_lastBottom = page->CurBottomY;
        TfrBand *footer = page->Bands[frBand::PageFooter];
        if (page->FooterOnLastPage && !footer->Objects.isEmpty()) {
            const int keep = m_current;
            for (int i = qMax(0, m_firstPageOfDesign); i < m_pages.count(); ++i) {
                if (m_pages[i].footerPrinted) continue;
                m_current = i;
                TfrBuildState::instance().CurPageNo = i;
                showBand(footer);
            }
            m_current = keep;
            TfrBuildState::instance().CurPageNo = keep;
        }
    }

    // --- data levels -------------------------------------------------------

    TfrBand *outermostGroup() const
    {
        TfrBand *h = m_page->Bands[frBand::GroupHeader];
        return h && h->View ? h : nullptr;
    }

    TfrVariant evaluate(const QString &expression, TfrBand *context)
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

    void accumulate(TfrBand *b)
    {
        b->Accumulate([&](const QString &argument) { return evaluate(argument, b); });
    }

    // Groups from `from` inwards take their current values and print their headers.
    void initGroups(TfrBand *from, TfrBand *data)
    {
        for (TfrBand *g = from; g && g->View; g = g->Next) {
            g->LastGroupValue = evaluate(g->GroupCondition, data);
            if (g->Footer) g->Footer->Count = 0;
            ++g->LineNo;
            ++g->LineThrough;
            showBand(g);
        }
    }

    // Group footers see every record of their group, not only the last one.
    void evaluateGroupFooters()
    {
        TfrBuildState &st = TfrBuildState::instance();
        for (TfrBand *f = m_page->Bands[frBand::GroupFooter]; f && f->View && !frBuildErrorSet(); f = f->Next)
            for (TfrView *o : f->Objects)
                if (auto *m = dynamic_cast<TfrCustomMemoView *>(o)) {
                    st.CurBand = f;
                    st.CurView = o;
                    for (const QString &line : m->Memo) frExpandLine(line, m);
                }
        st.CurView = nullptr;
    }

    void printQueue()
    {
        const QList<TfrBand *> queue = std::exchange(m_queue, {});
        for (TfrBand *b : queue)
            if (b && !b->Objects.isEmpty()) showBand(b);
    }

    void fillPage(TfrBand *data, int reserve)
    {
        // An invisible band prints no rows, so it could never fill anything.
        if (!(data->Flags & frBand::FillPage) || data->Height <= 0 || (data->View && !data->View->Visible)) return;
        m_emptyRows = true;
        for (int rows = TfrPageArea::RowsThatFit(m_page->CurY, data->Height, m_page->CurBottomY, reserve);
             rows > 0 && !r.Terminated; --rows)
            showBand(data);
        m_emptyRows = false;
    }

    bool walkLevel(int level)
    {
        const LevelTypes &lt = Levels[level - 1];
        bool printedAny = false;
        for (TfrBand *b = m_page->Bands[lt.data]; b && b->DataSet && !r.Terminated; b = b->Next) {
            TfrDataset *ds = b->DataSet;
            ds->First();
            work(b, 2);
            b->ResetAggregates(0);
            if (level == 1) {
                m_page->Bands[frBand::CrossData]->ResetColumnAggregates();
                m_tableColumns = 0;
            }
            if (!ds->Eof()) accumulate(b);
            b->LineNo = 1;
            // Groups belong to the master level; a detail walk leaves their counters alone.
            if (level == 1)
                for (TfrBand *g = m_page->Bands[frBand::GroupHeader]; g; g = g->Next) g->LineNo = g->LineThrough = 0;
            if (ds->Eof()) continue;
            TfrBand *groups = level == 1 ? outermostGroup() : nullptr;
            if (groups) initGroups(groups, b);
            TfrBand *header = m_page->Bands[lt.header];
            m_queue << header;
            const qsizetype headerAt = m_queue.size() - 1;
            if (ds->SkipOnBegin > 0) {
                m_emptyRows = true;
                for (int i = 0; i < ds->SkipOnBegin && !r.Terminated; ++i) showBand(b);
                m_emptyRows = false;
            }
            bool anyPrinted = false;
            while (!ds->Eof() && !r.Terminated) {
                if (m_progress) QCoreApplication::processEvents();
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
                work(b, 3);
                bool accumulated = false;
                if (groups) {
                    TfrBand *breaking = TfrGroupChain::Breaking(
                        groups, ds->Eof(), [&](const QString &condition) { return evaluate(condition, b); });
                    if (breaking) {
                        fillPage(b, TfrGroupChain::FooterRoom(breaking, m_page->Bands[lt.footer]));
                        showBand(m_page->Bands[lt.footer]);
                        // Footers innermost first, up to the breaking group's own.
                        for (TfrBand *g : TfrGroupChain::InnermostFirst(breaking)) {
                            if (g->Footer) {
                                showBand(g->Footer);
                                g->Footer->LineNo = 0;
                            }
                        }
                        if (!ds->Eof()) {
                            if (breaking->Flags & frBand::NewPageAfter) newPage();
                            initGroups(breaking, b);
                            for (TfrBand *g = breaking; g && g->View; g = g->Next) b->ResetAggregates(g->GroupLevel);
                            accumulate(b);
                            accumulated = true;
                            showBand(m_page->Bands[lt.header]);
                        }
                        b->LineNo = 0;
                    }
                }
                if (!accumulated && !ds->Eof()) accumulate(b);
                if (printed) {
                    ++m_page->CurrentNo;
                    ++b->LineNo;
                    ++b->LineThrough;
                    if (!ds->Eof() && (b->Flags & frBand::NewPageAfter)) newPage();
                }
            }
            if (!anyPrinted) {
                if (headerAt < m_queue.size()) m_queue.remove(headerAt, m_queue.size() - headerAt);
                continue;
            }
            printedAny = true;
            TfrBand *footer = m_page->Bands[lt.footer];
            fillPage(b, footer->Objects.isEmpty() ? 0 : footer->Height);
            showBand(footer);
        }
        return printedAny;
    }

    // --- bands ---------------------------------------------------------------

    bool footerOfLevel(TfrBand *b) const
    {
        return b->Type == frBand::MasterFooter || b->Type == frBand::DetailFooter
               || b->Type == frBand::SubDetailFooter || b->Type == frBand::GroupFooter;
    }

    TfrBand *dataBandOf(TfrBand *footer) const
    {
        switch (footer->Type) {
        case frBand::DetailFooter: return m_page->Bands[frBand::DetailData];
        case frBand::SubDetailFooter: return m_page->Bands[frBand::SubDetailData];
        default: return m_page->Bands[frBand::MasterData];
        }
    }

    void restoreObjects(TfrBand *b)
    {
        for (TfrView *o : b->Objects) {
            const QRect rel = m_relative.value(o);
            o->Left = rel.left();
            o->Top = rel.top();
            o->Width = rel.width();
            o->Height = rel.height();
            if (auto *m = dynamic_cast<TfrCustomMemoView *>(o)) m->DrawMode = TfrCustomMemoView::DrawNormal;
        }
    }

    void drawObject(TfrView *o, TfrBand *b, int dx, int dy)
    {
        TfrBuildState &st = TfrBuildState::instance();
        st.CurBand = b;
        st.CurView = o;
        o->Left += dx;
        o->Top += dy;
        if (r.OnDrawObject) r.OnDrawObject(o);
        QPainter *c = canvas();
        try {
            if (c) o->Draw(*c);
            else if (auto *m = dynamic_cast<TfrCustomMemoView *>(o)) m->CalcHeight();
        } catch (const EAbort &) {
            throw;
        } catch (const Exception &e) {
            frSetBuildError(QStringLiteral("Errore. ") + e.message());
        }
        o->Left -= dx;
        o->Top -= dy;
    }

    int columnOffset() const { return m_page->CurX - m_left; }

    // Lays out a stretched band for the current record: text objects measured,
    // objects below a grown one pushed down. Returns the band's height.
    int measure(TfrBand *b)
    {
        TfrBuildState &st = TfrBuildState::instance();
        for (TfrView *o : b->Objects) {
            auto *m = dynamic_cast<TfrCustomMemoView *>(o);
            if (!m || isTableObject(o, b)) continue;
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

    // Objects that lie in a table band as well print with the table row, not with their band.
    bool isTableObject(TfrView *o, const TfrBand *b) const
    {
        return b->Type <= frBand::GroupFooter && m_verticalOf.contains(o);
    }

    bool masterAtEnd() const
    {
        if (m_footerFromEnd) return true;
        const TfrBand *master = m_page->Bands[frBand::MasterData];
        return master && master->DataSet && master->DataSet->Eof();
    }

    // Makes output page `k` of the current table row current: 0 is the page the
    // row started on, the others continue it to the right and are made as needed.
    void useRowPage(int mainPage, int k)
    {
        if (k > 0) {
            while (m_pages[mainPage].rowPages.size() < k) {
                startOutputPage(m_page, m_pages[mainPage].designPage, true);
                m_pages[mainPage].rowPages << m_current;
            }
            m_current = m_pages[mainPage].rowPages[k - 1];
        } else {
            m_current = mainPage;
        }
        TfrBuildState::instance().CurPageNo = m_current;
    }

    // The table row of a band: the table header's part, one table data part per
    // record of the table dataset, the table footer's part, left to right,
    // continuing on further pages when the printable width is used up.
    void printTable(TfrBand *h)
    {
        TfrPage *page = m_page;
        TfrBand *header = page->Bands[frBand::CrossHeader];
        TfrBand *data = page->Bands[frBand::CrossData];
        TfrBand *footer = page->Bands[frBand::CrossFooter];
        const auto partOf = [&](TfrBand *v) {
            QList<TfrView *> part;
            if (v->View)
                for (TfrView *o : h->Objects)
                    if (isTableObject(o, h) && m_verticalOf.value(o) == v) part << o;
            return part;
        };
        const QList<TfrView *> headerPart = partOf(header), dataPart = partOf(data), footerPart = partOf(footer);
        if (headerPart.isEmpty() && dataPart.isEmpty() && footerPart.isEmpty()) return;
        if (m_current < 0) return;
        TfrBuildState &st = TfrBuildState::instance();
        const int mainPage = m_current;
        // In a column the row keeps to the column; the page footer belongs to the page.
        const bool inColumn = h->Type != frBand::PageFooter;
        const int offset = inColumn ? columnOffset() : 0;
        const int right = inColumn && qMax(1, page->ColumnCount) > 1 ? m_left + page->ColumnWidth : m_right;
        TfrTableRow row(header->View ? header->X : data->View ? data->X : footer->X, m_left, right);
        const auto draw = [&](TfrBand *v, const QList<TfrView *> &part) {
            for (TfrView *o : part) {
                if (auto *m = dynamic_cast<TfrCustomMemoView *>(o)) m->DrawMode = TfrCustomMemoView::DrawNormal;
                drawObject(o, v, row.X() - v->X + offset, h->Y);
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
            work(data, 2);
            if (masterAtEnd()) {
                // Footers: as many columns as the master records had, each reading its own totals.
                for (int c = 0; c < m_tableColumns && !r.Terminated; ++c) {
                    st.TableColumn = c;
                    place(data, dataPart);
                    st.TableColumn = -1;
                    ++page->ColumnNo;
                    if (!ds->Eof()) {
                        ds->Next();
                        work(data, 3);
                    }
                }
            } else {
                const bool masterRow = h->Type == frBand::MasterData;
                data->ResetAggregates(0);
                int c = 0;
                while (!ds->Eof() && !r.Terminated) {
                    data->Accumulate([&](const QString &a) { return evaluate(a, data); }, masterRow ? c : -1);
                    place(data, dataPart);
                    ++c;
                    ++page->ColumnNo;
                    ds->Next();
                    work(data, 3);
                }
                if (masterRow) m_tableColumns = qMax(m_tableColumns, c);
            }
        }
        place(footer, footerPart);
        useRowPage(mainPage, 0);
    }

    void showBand(TfrBand *b)
    {
        if (!b || r.Terminated) return;
        TfrBuildState &st = TfrBuildState::instance();
        st.CurBand = b;
        if (b->View && r.OnDrawObject) r.OnDrawObject(b->View);
        if (b->View && !b->View->Visible) return;
        TfrPage *page = m_page;
        if (m_emptyRows) {
            for (TfrView *o : b->Objects) {
                if (isTableObject(o, b)) continue;
                o->Left += columnOffset();
                o->Top += page->CurY;
                if (QPainter *c = canvas()) o->DrawEmpty(*c);
                o->Left -= columnOffset();
                o->Top -= page->CurY;
            }
            page->CurY += b->Height;
            return;
        }
        if (b->Type == frBand::ColumnHeader) page->ColumnTop = page->CurY;
        if (b->Objects.isEmpty()) return;

        // Footers show the last record of what they close.
        TfrDataset *moved = nullptr;
        if (footerOfLevel(b)) {
            TfrBand *data = dataBandOf(b);
            if (data && data->DataSet) {
                moved = data->DataSet;
                const bool wasEof = moved->Eof();
                auto *db = qobject_cast<TfrDBDataSet *>(moved);
                // A table that ran out still stands on its last record; a range or
                // filter that ended the data left it on a record after the group.
                if (wasEof && db && db->StandsOnLastRecord()) moved = nullptr;
                else {
                    moved->Prior();
                    work(data, 4);
                }
                const bool savedEnd = m_footerFromEnd;
                if (data->Type == frBand::MasterData) m_footerFromEnd = wasEof;
                layoutBand(b);
                m_footerFromEnd = savedEnd;
                if (moved) {
                    moved->Next();
                    work(data, 3);
                }
                return;
            }
        }
        layoutBand(b);
    }

    void layoutBand(TfrBand *b)
    {
        TfrPage *page = m_page;
        const bool fixed = b->Type == frBand::PageFooter || b->Type == frBand::Overlay || b->Type == frBand::None;
        int height = b->Height;
        if (!fixed) {
            if (b->Stretched()) height = measure(b);
            for (TfrBand *n = b->Next; n && frBand::isDataBand(b->Type) && !n->DataSet; n = n->Next)
                height += n->Height;
            while (!TfrPageArea::Fits(page->CurY, height, page->CurBottomY) && !splittable(b)) {
                // On a fresh page or column nothing would change: stop instead of looping.
                if (m_freshPage) {
                    restoreObjects(b);
                    frSetBuildError(QStringLiteral("La banda è più alta della pagina e non può essere stampata."));
                    return;
                }
                breakColumnOrPage();
                if (r.Terminated) return;
            }
        }
        if (fixed) {
            const int y = b->Type == frBand::PageFooter ? page->CurBottomY : b->Y;
            // Overlay, page footer and loose objects belong to the page, not to a column.
            const int dx = 0;
            for (TfrView *o : b->Objects)
                if (!isTableObject(o, b)) drawObject(o, b, dx, b->Type == frBand::None ? 0 : y);
            if (b->Type == frBand::PageFooter) {
                b->Y = y;
                printTable(b);
                if (m_current >= 0) m_pages[m_current].footerPrinted = true;
            }
            restoreObjects(b);
            return;
        }
        if (!TfrPageArea::Fits(page->CurY, height, page->CurBottomY) && splittable(b)) {
            splitBand(b, height);
            restoreObjects(b);
            newPageAfter(b);
            return;
        }
        drawChain(b);
        m_freshPage = false;
    }

    void drawChain(TfrBand *b)
    {
        TfrPage *page = m_page;
        for (TfrBand *x = b; x; x = x->Next) {
            x->Y = page->CurY;
            const int startPage = m_current;
            std::pair<int, int> end{m_current, 0};   // furthest (page, y) a subreport reached
            const int h = x == b && b->Stretched() ? b->MeasuredHeight : x->Height;
            for (TfrView *o : x->Objects) {
                if (isTableObject(o, x)) continue;
                if (o->Kind == frKind::SubReport) end = std::max(end, buildSubReport(static_cast<TfrSubReportView *>(o), x));
                else drawObject(o, x, columnOffset(), x->Y);
            }
            printTable(x);
            if (end.first != startPage) {
                // Subreports went on to later pages: this page goes on where the longest ended.
                m_current = end.first;
                TfrBuildState::instance().CurPageNo = m_current;
                page->CurY = end.second;
            } else {
                page->CurY = qMax(page->CurY + h, end.second);
            }
            if (x != b) restoreObjects(x);
            if (!frBand::isDataBand(b->Type) || !x->Next || x->Next->DataSet) break;
        }
        restoreObjects(b);
        newPageAfter(b);
    }

    // Data bands and group headers break by their own rules, in the record loop.
    void newPageAfter(TfrBand *b)
    {
        if (b->Type != frBand::MasterData && b->Type != frBand::DetailData && b->Type != frBand::SubDetailData
            && b->Type != frBand::GroupHeader && (b->Flags & frBand::NewPageAfter))
            newPage();
    }

    // Only a band's own objects can be cut: subreports continue on their own,
    // and bands printed together with it are not cut with it.
    bool splittable(const TfrBand *b) const
    {
        if (!(b->Flags & frBand::BreakBand)) return false;
        if (frBand::isDataBand(b->Type) && b->Next && !b->Next->DataSet) return false;
        return std::none_of(b->Objects.begin(), b->Objects.end(), [&](TfrView *o) {
            return o->Kind == frKind::SubReport || isTableObject(o, b);
        });
    }

    // Draws what fits above the cut, breaks, and repeats with the rest.
    void splitBand(TfrBand *b, int height)
    {
        TfrPage *page = m_page;
        const TfrBand *colFooter = page->Bands[frBand::ColumnFooter];
        int remaining = height;
        QSet<TfrView *> done;
        for (TfrView *o : b->Objects)
            if (isTableObject(o, b)) done.insert(o);
        while (remaining > 0 && !r.Terminated) {
            const int footerHeight = colFooter->Objects.isEmpty() ? 0 : colFooter->Height;
            const int cut = page->CurBottomY - footerHeight - 2 - page->CurY;
            if (remaining <= page->CurBottomY - page->CurY) {
                b->Y = page->CurY;
                for (TfrView *o : b->Objects)
                    if (!done.contains(o)) drawObject(o, b, columnOffset(), b->Y);
                page->CurY += remaining;
                break;
            }
            if (cut <= 0) {
                if (m_freshPage) {
                    frSetBuildError(QStringLiteral("La banda è più alta della pagina e non può essere stampata."));
                    return;
                }
                breakColumnOrPage();
                continue;
            }
            b->Y = page->CurY;
            bool progress = false;
            for (TfrView *o : b->Objects) {
                if (done.contains(o)) continue;
                auto *m = dynamic_cast<TfrCustomMemoView *>(o);
                if (o->Top + o->Height <= cut) {
                    drawObject(o, b, columnOffset(), b->Y);
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
                    drawObject(o, b, columnOffset(), b->Y);
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
            if (!progress && m_freshPage) {
                frSetBuildError(QStringLiteral("La banda è più alta della pagina e non può essere stampata."));
                return;
            }
            breakColumnOrPage();
        }
        m_freshPage = false;
    }

    // Builds the target page of a subreport object inside the current page, at the
    // object's place; it goes on to the following output pages as it needs. Every
    // subreport of a band starts on the band's page, so they stand side by side.
    // Returns the output page and y where it ended.
    std::pair<int, int> buildSubReport(TfrSubReportView *s, TfrBand *band)
    {
        TfrPage *target = r.Pages[s->TargetPage];
        if (!target || target == m_page || target->IsSubReportBuild) return {m_current, 0};
        TfrPage *outer = m_page;
        const int outerLeft = m_left;
        const int startPage = m_current;
        m_subFrames.push_back({outer, outerLeft});
        m_freshPage = false;   // the subreport starts inside a band, never at the top of a page
        target->IsSubReportBuild = true;
        target->CurY = band->Y + s->Top;
        target->CurX = outer->CurX + s->Left;
        target->CurBottomY = outer->CurBottomY;
        target->CurColumn = 0;
        target->ColumnTop = target->CurY;
        m_page = target;
        // Columns shift by CurX - m_left: the target's objects stand relative to the subreport object.
        m_left = outerLeft;
        TfrBuildState::instance().CurPage = target;
        showBand(target->Bands[frBand::ReportTitle]);
        showBand(target->Bands[frBand::ColumnHeader]);
        int deepest = 0;
        for (int l = 0; l < 3; ++l)
            if (!target->Bands[Levels[l].data]->Objects.isEmpty()) deepest = l + 1;
        const int savedDeepest = std::exchange(m_deepest, deepest);
        if (deepest > 0) walkLevel(1);
        m_deepest = savedDeepest;
        const int endPage = m_current, endY = target->CurY;
        m_page = outer;
        m_left = outerLeft;
        m_subFrames.pop_back();
        TfrBuildState::instance().CurPage = outer;
        target->IsSubReportBuild = false;
        m_current = startPage;
        TfrBuildState::instance().CurPageNo = m_current;
        return {endPage, endY};
    }

    // A subreport band that does not fit goes on at the top of the next output
    // page of the page that holds the subreport, made when no earlier subreport
    // of the band made it.
    void subReportBreak()
    {
        TfrBuildState &st = TfrBuildState::instance();
        TfrPage *target = m_page;
        const SubReportFrame &top = m_subFrames.front();
        const int savedLeft = m_left;
        const int next = m_pages.nextBodyPage(m_current);
        if (next >= 0) {
            m_current = next;
            st.CurPageNo = next;
        } else {
            m_page = top.outer;
            st.CurPage = top.outer;
            m_left = top.outerLeft;
            newPage();
            m_page = target;
            st.CurPage = target;
        }
        m_left = savedLeft;
        target->CurY = m_pages[m_current].bodyTop;
        target->CurBottomY = top.outer->CurBottomY;
        target->ColumnTop = target->CurY;
        showBand(target->Bands[frBand::ColumnHeader]);
        m_freshPage = true;
    }

    void breakColumnOrPage()
    {
        TfrPage *page = m_page;
        if (page->IsSubReportBuild && !m_subFrames.empty()) {
            subReportBreak();
            return;
        }
        if (TfrPageArea::WhereNext(page->CurColumn, page->ColumnCount) == TfrPageArea::Break::NextColumn) {
            showBand(page->Bands[frBand::ColumnFooter]);
            ++page->CurColumn;
            page->CurX += page->ColumnWidth + page->ColumnGap;
            page->CurY = page->ColumnTop;
            showBand(page->Bands[frBand::ColumnHeader]);
            // Not a fresh page: a band too tall for what a column has left may still fit a new page.
            m_freshPage = false;
            return;
        }
        newPage();
    }

    void newPage()
    {
        if (m_inNewPage) {
            frSetBuildError(QStringLiteral("La banda è più alta della pagina e non può essere stampata."));
            return;
        }
        m_inNewPage = true;
        TfrPage *page = m_page;
        showBand(page->Bands[frBand::ColumnFooter]);
        showBand(page->Bands[frBand::PageFooter]);
        computeArea(page);
        startOutputPage(page, r.Pages.IndexOf(page));
        showBand(page->Bands[frBand::Overlay]);
        page->CurY = m_top;
        page->CurColumn = 0;
        page->CurX = m_left;
        showBand(page->Bands[frBand::PageHeader]);
        showBand(page->Bands[frBand::ColumnHeader]);
        if (m_current >= 0) m_pages[m_current].bodyTop = page->CurY;
        m_inNewPage = false;
        m_freshPage = true;
    }

public:
    bool m_progress = false;

private:
    TfrReport &r;
    bool m_firstOfTwo;
    TfrOutputPages m_pages;
    int m_current = -1;
    int m_firstPageOfDesign = -1;
    TfrPage *m_page = nullptr;
    int m_left = 0, m_top = 0, m_right = 0;
    int m_lastY = 0, m_lastBottom = 0;
    int m_deepest = 0;
    struct SubReportFrame
    {
        TfrPage *outer;
        int outerLeft;
    };
    std::vector<SubReportFrame> m_subFrames;
    bool m_emptyRows = false;
    bool m_footerFromEnd = false;  // a master-level footer printed after the last record
    int m_tableColumns = 0;        // table columns counted over the master records
    bool m_freshPage = false;
    bool m_inNewPage = false;
    QList<TfrBand *> m_queue;
    QHash<TfrView *, QRect> m_relative;
    QHash<TfrView *, TfrBand *> m_verticalOf;
    std::vector<std::pair<TfrBand *, TfrDataset *>> m_initialised;
    std::vector<TfrPage *> m_prepared;
};

bool runPass(TfrReport &r, bool firstOfTwo)
{
    Pass pass(r, firstOfTwo);
    QList<TfrPreparedPage> pages;
    const auto body = [&] { pages = pass.run(); };
    const frBuilder::ProgressWindow &w = progressWindow();
    if (!r.OnProgress && r.ShowProgress && w.run) {
        pass.m_progress = true;
        const QString caption = r.Title.isEmpty() ? QStringLiteral("Report in preparazione")
                                                  : QStringLiteral("Report in preparazione - ") + r.Title;
        const QString label = firstOfTwo ? QStringLiteral("Esecuzione 1° passo:") : QStringLiteral("Pagina in costruzione:");
        w.run(r, caption, label + QStringLiteral("  1"), body);
    } else {
        body();
    }
    r.EMFPages.Clear();
    for (const TfrPreparedPage &p : pages) r.EMFPages.Add(p);
    return !r.Terminated && !frBuildErrorSet();
}
} // namespace

void frBuilder::setProgressWindow(ProgressWindow window) { progressWindow() = std::move(window); }

void frBuilder::setDesignerOpen(std::function<bool(TfrReport &)> isOpen) { designerOpen() = std::move(isOpen); }

bool frBuilder::BuildReport(TfrReport &r)
{
    const TfrLoadResult reloaded = r.ReloadIfChanged();
    TfrContextScope scope(&r);
    QByteArray snapshot;
    const bool nested = r.Building;
    if (!nested) frClearBuildError();
    // A template that changed on disk and can no longer be read is not built.
    if (!reloaded) {
        frSetBuildError(reloaded.Messages.isEmpty() ? reloaded.Reason : reloaded.Messages.last().text);
        return false;
    }
    if (!nested) {
        // Building moves and resizes objects; an open designer gets them back as they were.
        if (designerOpen() && designerOpen()(r)) snapshot = r.SaveTemplateData();
    }
    TfrBuildState &st = TfrBuildState::instance();
    st.CurPage = nullptr;
    st.CurBand = nullptr;
    st.CurView = nullptr;
    st.LastValue = TfrVariant::null();
    st.BuildDate = today();
    st.BuildTime = now() - today();
    r.Terminated = false;
    r.Building = true;
    r.EMFPages.Clear();
    r.HasPreparedPages = false;
    if (!nested) st.InterleavedPosition.clear();
    bool ok = false;
    try {
        if (r.TwoPass) {
            st.TotalPages = 0;
            ok = runPass(r, true);
            if (ok) {
                st.TotalPages = r.EMFPages.Count();
                struct SecondPass
                {
                    TfrReport &r;
                    explicit SecondPass(TfrReport &report) : r(report) { r.TwoPass = false; }
                    ~SecondPass() { r.TwoPass = true; }
                } second(r);
                ok = runPass(r, false);
            }
        } else {
            st.TotalPages = 0;
            ok = runPass(r, false);
        }
    } catch (const Exception &e) {
        frSetBuildError(QStringLiteral("Errore. ") + e.message());
        ok = false;
    }
    r.Building = false;
    if (!snapshot.isEmpty()) r.LoadTemplateData(snapshot);
    if (frBuildErrorSet()) r.EMFPages.Clear();
    r.HasPreparedPages = r.EMFPages.Count() > 0;
    return ok && !frBuildErrorSet();
}

void frBuilder::install() { frRegistry::setBuilder([](TfrReport &r) { return BuildReport(r); }); }
