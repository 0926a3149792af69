#include "report/frbuilder.h"

#include "report/frband.h"
#include "report/frbandprinter.h"
#include "report/frbandtypes.h"
#include "report/frbuildcontext.h"
#include "report/frbuildcursor.h"
#include "report/frdatawalk.h"
#include "report/frdrawmode.h"
#include "report/frpage.h"
#include "report/frpagebreaker.h"
#include "report/frpagepreparer.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frsubreports.h"
#include "report/frsubreportview.h"
#include "report/frtablebands.h"

#include "core/datetime.h"
#include "core/exceptions.h"
#include "data/dataset.h"
#include "data/field.h"

#include <utility>

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

// One pass over all design pages: the parts below do the work, this class
// runs them in the order of the pages and gives back what they made.
class Pass
{
public:
    Pass(TfrReport &report, bool firstOfTwo)
        : r(report), c(report, firstOfTwo), m_preparer(c), m_breaker(c), m_bands(c), m_tables(c), m_subReports(c),
          m_walk(c)
    {
        c.Preparer = &m_preparer;
        c.Breaker = &m_breaker;
        c.Bands = &m_bands;
        c.Tables = &m_tables;
        c.SubReports = &m_subReports;
        c.Walk = &m_walk;
        c.PageStarted = [this] { reportProgress(); };
    }

    void showProgress() { c.Progress = true; }

    QList<TfrPreparedPage> run()
    {
        TfrBuildState &st = TfrBuildState::instance();
        frDraw::Mode &mode = frDraw::mode();
        const frDraw::Mode savedMode = mode;
        mode.output = true;
        mode.suppressed = c.FirstOfTwo;
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
            for (int i = 0; i < r.Pages.Count() && !frBuildErrorSet(); ++i) m_preparer.Prepare(r.Pages[i]);
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
                if (!next || !next->ContinueOnPreviousPage) c.Pages.finish();
            }
            c.Pages.finish();
            if (!frBuildErrorSet() && r.OnEndDoc) r.OnEndDoc();
        } catch (const EAbort &) {
            r.Terminated = true;
        } catch (const Exception &e) {
            frSetBuildError(QStringLiteral("Errore. ") + e.message());
        }
        c.Pages.finish();
        m_preparer.UnprepareAll();
        st.CurPage = nullptr;
        st.CurBand = nullptr;
        st.CurView = nullptr;
        QList<TfrPreparedPage> pages = c.Pages.prepared();
        if (r.InterleavePages && !frBuildErrorSet()) {
            const QList<int> order = c.Pages.interleaveOrder();
            if (c.FirstOfTwo) {
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

    void reportProgress()
    {
        const int n = c.Current + 1;
        if (r.OnProgress) r.OnProgress(n, true);
        else if (c.Progress && progressWindow().update)
            progressWindow().update((c.FirstOfTwo ? QStringLiteral("Esecuzione 1° passo:")
                                                  : QStringLiteral("Pagina in costruzione:"))
                                    + QStringLiteral("  ") + QString::number(n));
    }

    void buildPage(TfrPage *page, int index)
    {
        c.Page = page;
        c.FirstPageOfDesign = -1;
        m_breaker.ComputeArea(page);
        if (page->ContinueOnPreviousPage && c.Current >= 0) {
            page->CurY = m_lastY;
            page->CurBottomY = m_lastBottom;
            c.FirstPageOfDesign = c.Current;
        } else {
            m_breaker.StartOutputPage(page, index);
            page->CurY = c.Top;
            m_bands.Show(page->Bands[frBand::Overlay]);
        }
        m_bands.Show(page->Bands[frBand::None]);
        page->CurColumn = 0;
        page->CurX = c.Left;
        page->ColumnTop = page->CurY;
        m_bands.Show(page->Bands[frBand::ReportTitle]);
        if (page->HeaderOnFirstPage) m_bands.Show(page->Bands[frBand::PageHeader]);
        m_bands.Show(page->Bands[frBand::ColumnHeader]);
        m_walk.Run();
        if (page->IsSubReportBuild) return;
        m_bands.Show(page->Bands[frBand::ColumnFooter]);
        m_bands.Show(page->Bands[frBand::ReportSummary]);
        m_lastY = page->CurY;
        m_lastBottom = page->CurBottomY;
        TfrBand *footer = page->Bands[frBand::PageFooter];
        if (page->FooterOnLastPage && !footer->Objects.isEmpty()) {
            const int keep = c.Current;
            for (int i = qMax(0, c.FirstPageOfDesign); i < c.Pages.count(); ++i) {
                if (c.Pages[i].footerPrinted) continue;
                c.SetCurrent(i);
                m_bands.Show(footer);
            }
            c.SetCurrent(keep);
        }
    }

    TfrReport &r;
    TfrBuildCursor c;
    TfrPagePreparer m_preparer;
    TfrPageBreaker m_breaker;
    TfrBandPrinter m_bands;
    TfrTableBands m_tables;
    TfrSubReports m_subReports;
    TfrDataWalk m_walk;
    int m_lastY = 0, m_lastBottom = 0;   // where the last design page ended, for one continuing it
};

bool runPass(TfrReport &r, bool firstOfTwo)
{
    Pass pass(r, firstOfTwo);
    QList<TfrPreparedPage> pages;
    const auto body = [&] { pages = pass.run(); };
    const frBuilder::ProgressWindow &w = progressWindow();
    if (!r.OnProgress && r.ShowProgress && w.run) {
        pass.showProgress();
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
