#include "report/frbuildstate.h"

#include "report/frband.h"
#include "report/frbuildcontext.h"
#include "report/frbandtypes.h"
#include "report/frpage.h"
#include "report/frreport.h"
#include "report/frview.h"

TfrBuildState &TfrBuildState::instance()
{
    return frActiveContext().State;
}

void TfrBuildState::reset()
{
    CurPage = nullptr;
    CurBand = nullptr;
    CurView = nullptr;
    CurPageNo = 0;
    TableColumn = -1;
    LastValue = TfrVariant::null();
    LastField = nullptr;
    LastFieldNull = false;
    Registering = false;
    AggregateGroupLevel = 0;
    BuildErrorSet = false;
    BuildErrorText.clear();
}

TfrReport *CurrentReport() { return frActiveContext().report(); }

void frSetCurrentReport(TfrReport *report) { frActivateContext(report); }

void frSetBuildError(const QString &message)
{
    TfrBuildState &s = TfrBuildState::instance();
    if (s.BuildErrorSet) return;
    s.BuildErrorSet = true;
    QString text = QStringLiteral("Si è verificato un errore durante la fase di preparazione");
    if (!message.isEmpty()) text += QLatin1Char('\r') + message;
    if (s.CurView && s.CurBand && s.CurView->ParentBand == s.CurBand)
        text += QStringLiteral("\rOggetto: ") + s.CurView->Name;
    if (s.CurBand) text += QStringLiteral("\rBanda: ") + frBand::displayName(s.CurBand->Type);
    if (TfrReport *r = CurrentReport(); r && s.CurPage) {
        const int index = r->Pages.IndexOf(s.CurPage);
        if (index >= 0) text += QStringLiteral("\rPagina: ") + QString::number(index + 1);
    }
    s.BuildErrorText = text;
    if (TfrReport *r = CurrentReport()) r->Terminated = true;
}

void frClearBuildError()
{
    TfrBuildState &s = TfrBuildState::instance();
    s.BuildErrorSet = false;
    s.BuildErrorText.clear();
}

bool frBuildErrorSet() { return TfrBuildState::instance().BuildErrorSet; }

QString frBuildErrorText() { return TfrBuildState::instance().BuildErrorText; }
