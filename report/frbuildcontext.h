#pragma once
// TfrBuildContext: everything a report's work keeps between one call and the
// next (loading, building, drawing, designing): the build state (current
// page, band and object, output page, date and time, TOTALPAGES, LastValue,
// the last field found, BuildError), the draw mode, the evaluator bound to
// the report, and the report's printer selection. Every report owns one, so
// two reports in one process (the diary's report and a designer's working
// copy, or a report built from inside another's build) never see each
// other's state.
//
// The engine's process-wide names (CurrentReport, BuildError, the evaluator,
// the draw mode, the printer settings) are accessors of the active context.
// A report's work activates its own context; when that work interrupted the
// build of another report, the other's context comes back when it ends. With
// no report active, the process has a context of its own.

#include "report/frbuildstate.h"
#include "report/frdrawmode.h"
#include "report/frexpr.h"
#include "report/frprintersettings.h"

#include <QPointer>

class TfrReport;

class TfrBuildContext
{
public:
    explicit TfrBuildContext(TfrReport *report = nullptr);
    TfrBuildContext(const TfrBuildContext &) = delete;
    TfrBuildContext &operator=(const TfrBuildContext &) = delete;

    TfrReport *report() const { return m_report; }

    TfrBuildState State;
    frDraw::Mode DrawMode;
    TfrExpr Expr;
    TPrinterSettings Printer;

private:
    TfrReport *m_report;
};

// The context the process-wide names stand for.
TfrBuildContext &frActiveContext();
// Makes the report's context the active one (the process's own for nullptr).
void frActivateContext(TfrReport *report);

// For the length of one piece of a report's work: its context is active, and
// afterwards the context of a report whose build it interrupted is active again.
class TfrContextScope
{
public:
    explicit TfrContextScope(TfrReport *report);
    ~TfrContextScope();
    TfrContextScope(const TfrContextScope &) = delete;
    TfrContextScope &operator=(const TfrContextScope &) = delete;

private:
    TfrReport *m_report;
    QPointer<TfrReport> m_previous;
};
