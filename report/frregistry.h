#pragma once
// The engine's process-wide registries: add-in object classes (up to 32),
// export filters (up to 32), function libraries, the hooks through which the
// builder, the preview and the designer of other modules plug in, and the
// named owner objects (the program's windows and data modules, the
// command-line tool's stand-in window) that templates name components in.

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class TfrReport;
class TfrView;
class TfrFunctionLibrary;

struct TfrAddInObjectInfo
{
    QString ClassName;                                  // "TfrGraphView"
    std::function<TfrView *(TfrReport *)> Create;       // the object class
    QString EditorClassName;                            // "TFrGraphEditor"
    QImage ButtonBmp;
    QString ButtonHint;                                 // "Inserisci grafico"
};

struct TfrExportFilterInfo
{
    QString ClassName;
    QString FilterDesc;
};

namespace frRegistry {
constexpr int MaxAddIns = 32;
constexpr int MaxExportFilters = 32;

bool registerObject(const TfrAddInObjectInfo &info);     // false when full
const QList<TfrAddInObjectInfo> &addIns();
const TfrAddInObjectInfo *findAddIn(const QString &className);
void clearAddIns();

bool registerExportFilter(const TfrExportFilterInfo &info);
const QList<TfrExportFilterInfo> &exportFilters();

void registerFunctionLibrary(TfrFunctionLibrary *library);   // not owned
void unregisterFunctionLibrary(TfrFunctionLibrary *library);
const QList<TfrFunctionLibrary *> &functionLibraries();

// Builds the prepared pages (false on error or cancel).
using BuildProc = std::function<bool(TfrReport &)>;
// Shows the prepared pages (the preview window class).
using PreviewProc = std::function<void(TfrReport &)>;
// Creates the designer for a report, shows it modally and frees it.
using DesignerProc = std::function<void(TfrReport &)>;
void setBuilder(BuildProc proc);
void setPreview(PreviewProc proc);
void setDesigner(DesignerProc proc);
const BuildProc &builder();
const PreviewProc &preview();
const DesignerProc &designer();

// Named owners: a form (window) or a data module. Unregistered automatically
// when destroyed.
void registerOwner(QObject *owner, bool dataModule = false);
void unregisterOwner(QObject *owner);
QList<QObject *> forms();
QList<QObject *> dataModules();
} // namespace frRegistry

// A component owned by `owner` with that name (case-insensitive), or nullptr.
QObject *frFindComponent(QObject *owner, const QString &name);
// A registered form or data module by name (case-insensitive), forms first.
QObject *frFindGlobalComponent(const QString &name);
// "Form.Component": the form among the open forms, then the data modules,
// then the component in it; nullptr when either is missing.
QObject *frFindOwnedComponent(const QString &path);
