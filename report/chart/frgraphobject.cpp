#include "report/chart/frgraphobject.h"

#include "report/chart/frgraphview.h"
#include "report/frregistry.h"

TfrGraphObject::TfrGraphObject(QObject *owner) : QObject(owner) { Register(); }

bool TfrGraphObject::Register()
{
    const QString className = QStringLiteral("TfrGraphView");
    if (frRegistry::findAddIn(className)) return true;
    TfrAddInObjectInfo info;
    info.ClassName = className;
    info.Create = [](TfrReport *report) -> TfrView * { return new TfrGraphView(report); };
    info.EditorClassName = QStringLiteral("TFrGraphEditor");
    info.ButtonHint = QStringLiteral("Inserisci grafico");
    return frRegistry::registerObject(info);
}
