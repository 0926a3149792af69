#include "report/frbuildcontext.h"

#include "report/frreport.h"
#include "report/frresolver.h"

namespace {
TfrBuildContext &processContext()
{
    static TfrBuildContext context;
    return context;
}

TfrBuildContext *&activeContext()
{
    static TfrBuildContext *context = nullptr;
    return context;
}
} // namespace

TfrBuildContext::TfrBuildContext(TfrReport *report) : m_report(report)
{
    Expr.SetResolver([report](const QString &name, const QStringList *args) { return frResolve(report, name, args); },
                     report);
}

TfrBuildContext &frActiveContext()
{
    TfrBuildContext *c = activeContext();
    return c ? *c : processContext();
}

void frActivateContext(TfrReport *report)
{
    activeContext() = report ? &report->Context() : nullptr;
}

TfrContextScope::TfrContextScope(TfrReport *report) : m_report(report), m_previous(CurrentReport())
{
    frActivateContext(report);
}

TfrContextScope::~TfrContextScope()
{
    // Only an interrupted build gets its context back: after plain work the
    // report stays current, as loading or building always left it.
    if (m_previous && m_previous != m_report && m_previous->Building) frActivateContext(m_previous);
}
