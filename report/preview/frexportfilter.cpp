#include "report/preview/frexportfilter.h"

#include "report/frregistry.h"

#include <QHash>

namespace {
struct Entry
{
    QString extension;
    frExport::Factory factory;
};
QHash<QString, Entry> &entries()
{
    static QHash<QString, Entry> map;
    return map;
}
} // namespace

bool frExport::registerFilter(const QString &className, const QString &description, const QString &extension,
                              Factory factory)
{
    if (!frRegistry::registerExportFilter(TfrExportFilterInfo{className, description})) return false;
    entries().insert(className, Entry{extension, std::move(factory)});
    return true;
}

std::unique_ptr<TfrExportFilter> frExport::create(const QString &className)
{
    const auto it = entries().constFind(className);
    return it == entries().constEnd() || !it->factory ? nullptr : it->factory();
}

QString frExport::extension(const QString &className) { return entries().value(className).extension; }
