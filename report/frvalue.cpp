#include "report/frvalue.h"

namespace {
const char *const subKindNames[] = {
    "N° pagina", "Espressione", "Data", "Ora", "N° linea", "N° linea continuo", "N° colonna",
    "N° linea corrente", "Totale Pagine"};
const char *const systemNames[] = {
    "PAGE#", "", "DATE", "TIME", "LINE#", "LINETHROUGH#", "COLUMN#", "CURRENT#", "TOTALPAGES"};
} // namespace

QString TfrValue::SubKindName(int subKind)
{
    if (subKind < 0 || subKind >= SubKindCount) return QString();
    return QString::fromUtf8(subKindNames[subKind]);
}

QString TfrValue::KindNoneName() { return QStringLiteral("Nessuna"); }

QString TfrValue::SystemVariable(int subKind)
{
    if (subKind < 0 || subKind >= SubKindCount) return QString();
    return QLatin1String(systemNames[subKind]);
}
