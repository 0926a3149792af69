#include "report/frregistry.h"

#include "report/frfunctionlibrary.h"

#include <QPointer>

namespace {
struct Registry
{
    QList<TfrAddInObjectInfo> addIns;
    QList<TfrExportFilterInfo> filters;
    QList<TfrFunctionLibrary *> libraries;
    frRegistry::BuildProc builder;
    frRegistry::PreviewProc preview;
    frRegistry::DesignerProc designer;
    QList<QPointer<QObject>> forms;
    QList<QPointer<QObject>> dataModules;
};

Registry &registry()
{
    static Registry r;
    return r;
}

QList<QObject *> alive(QList<QPointer<QObject>> &list)
{
    QList<QObject *> out;
    list.removeIf([](const QPointer<QObject> &p) { return p.isNull(); });
    for (const auto &p : list) out << p.data();
    return out;
}
} // namespace

bool frRegistry::registerObject(const TfrAddInObjectInfo &info)
{
    if (registry().addIns.size() >= MaxAddIns) return false;
    registry().addIns.append(info);
    return true;
}

const QList<TfrAddInObjectInfo> &frRegistry::addIns() { return registry().addIns; }

const TfrAddInObjectInfo *frRegistry::findAddIn(const QString &className)
{
    for (const TfrAddInObjectInfo &info : registry().addIns)
        if (info.ClassName.compare(className, Qt::CaseInsensitive) == 0) return &info;
    return nullptr;
}

void frRegistry::clearAddIns() { registry().addIns.clear(); }

bool frRegistry::registerExportFilter(const TfrExportFilterInfo &info)
{
    if (registry().filters.size() >= MaxExportFilters) return false;
    registry().filters.append(info);
    return true;
}

const QList<TfrExportFilterInfo> &frRegistry::exportFilters() { return registry().filters; }

void frRegistry::registerFunctionLibrary(TfrFunctionLibrary *library)
{
    if (library && !registry().libraries.contains(library)) registry().libraries.append(library);
}

void frRegistry::unregisterFunctionLibrary(TfrFunctionLibrary *library) { registry().libraries.removeAll(library); }

const QList<TfrFunctionLibrary *> &frRegistry::functionLibraries() { return registry().libraries; }

void frRegistry::setBuilder(BuildProc proc) { registry().builder = std::move(proc); }
void frRegistry::setPreview(PreviewProc proc) { registry().preview = std::move(proc); }
void frRegistry::setDesigner(DesignerProc proc) { registry().designer = std::move(proc); }
const frRegistry::BuildProc &frRegistry::builder() { return registry().builder; }
const frRegistry::PreviewProc &frRegistry::preview() { return registry().preview; }
const frRegistry::DesignerProc &frRegistry::designer() { return registry().designer; }

void frRegistry::registerOwner(QObject *owner, bool dataModule)
{
    if (!owner) return;
    unregisterOwner(owner);
    (dataModule ? registry().dataModules : registry().forms).append(QPointer<QObject>(owner));
}

void frRegistry::unregisterOwner(QObject *owner)
{
    registry().forms.removeAll(QPointer<QObject>(owner));
    registry().dataModules.removeAll(QPointer<QObject>(owner));
}

QList<QObject *> frRegistry::forms() { return alive(registry().forms); }
QList<QObject *> frRegistry::dataModules() { return alive(registry().dataModules); }

QObject *frFindComponent(QObject *owner, const QString &name)
{
    if (!owner || name.isEmpty()) return nullptr;
    for (QObject *child : owner->children())
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0) return child;
    return nullptr;
}

QObject *frFindGlobalComponent(const QString &name)
{
    if (name.isEmpty()) return nullptr;
    for (QObject *f : frRegistry::forms())
        if (f->objectName().compare(name, Qt::CaseInsensitive) == 0) return f;
    for (QObject *m : frRegistry::dataModules())
        if (m->objectName().compare(name, Qt::CaseInsensitive) == 0) return m;
    return nullptr;
}

QObject *frFindOwnedComponent(const QString &path)
{
    const int dot = path.indexOf(QLatin1Char('.'));
    if (dot < 0) return nullptr;
    QObject *owner = frFindGlobalComponent(path.left(dot));
    return owner ? frFindComponent(owner, path.mid(dot + 1)) : nullptr;
}
