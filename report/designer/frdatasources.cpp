#include "report/designer/frdatasources.h"

#include "data/dataset.h"
#include "data/field.h"
#include "report/frregistry.h"
#include "report/frreport.h"

#include "core/exceptions.h"

#include <algorithm>

QList<TfrDataSource> frDataSources::list(const TfrReport *report)
{
    const QObject *own = report ? report->parent() : nullptr;
    QList<TfrDataSource> out;
    QList<QObject *> owners = frRegistry::forms();
    owners += frRegistry::dataModules();
    for (QObject *owner : owners)
        for (TDataSet *ds : owner->findChildren<TDataSet *>(Qt::FindDirectChildrenOnly)) {
            if (ds->objectName().isEmpty()) continue;
            const QString name = owner == own ? ds->objectName() : owner->objectName() + QLatin1Char('.') + ds->objectName();
            if (std::any_of(out.begin(), out.end(), [&](const TfrDataSource &s) { return s.name == name; })) continue;
            out.append({name, ds});
        }
    std::sort(out.begin(), out.end(), [](const TfrDataSource &a, const TfrDataSource &b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return out;
}

QList<TfrDataSource> frDataSources::qualified() { return list(nullptr); }

void frDataSources::whileOpen(TDataSet *ds, const std::function<void()> &read)
{
    if (!ds) return;
    const bool wasActive = ds->Active();
    try {
        if (!wasActive) ds->Open();
    } catch (const Exception &) {
    }
    read();
    try {
        if (!wasActive && ds->Active()) ds->Close();
    } catch (const Exception &) {
    }
}

QStringList frDataSources::fieldNames(TDataSet *ds)
{
    QStringList names;
    whileOpen(ds, [&] {
        if (ds->FieldCount() > 0)
            for (const TField *f : ds->Fields()) names << f->FieldName;
        else
            for (int i = 0; i < ds->FieldDefs().Count(); ++i) names << ds->FieldDefs()[i].Name;
    });
    return names;
}

QString frDataSources::fieldReference(const QString &source, const QString &field)
{
    return source + QStringLiteral(".\"") + field + QLatin1Char('"');
}

QString frDataSources::other() { return QStringLiteral("Altro"); }

QStringList frDataSources::systemCaptions()
{
    return {QStringLiteral("N° pagina"), QStringLiteral("Data"), QStringLiteral("Ora"), QStringLiteral("N° linea"),
            QStringLiteral("N° linea continuo"), QStringLiteral("N° colonna"), QStringLiteral("N° linea corrente"),
            QStringLiteral("Totale Pagine")};
}

QStringList frDataSources::systemNames()
{
    return {QStringLiteral("PAGE#"), QStringLiteral("DATE"), QStringLiteral("TIME"), QStringLiteral("LINE#"),
            QStringLiteral("LINETHROUGH#"), QStringLiteral("COLUMN#"), QStringLiteral("CURRENT#"),
            QStringLiteral("TOTALPAGES")};
}
