#pragma once
// The report's name resolver: what the evaluator calls for names, bracketed
// names and function calls. Names resolve, in order, to the report's values
// (and OnGetValue), PI, database fields, dataset names and the system
// variables; functions to the built-in table, then the function libraries,
// then OnUserFunction. Errors that belong to a build (wrong argument count,
// bad arguments, aggregates where there is no data band) go to BuildError and
// leave the result empty.

#include "report/frvariant.h"

#include <QString>
#include <QStringList>

class TfrReport;
class TfrView;
class TDataSet;
class TField;

// `report` stands in when no report is current.
TfrVariant frResolve(TfrReport *report, const QString &name, const QStringList *args);

// The database dataset and field a name designates by the lookup rules.
void frFindField(TfrReport *report, const QString &name, TDataSet *&dataSet, TField *&field);
// The database dataset of the current band's data level (nullptr: none).
TDataSet *frCurrentBandDataSet();

// Replaces each bracketed part of a text object's line by its value formatted
// with the object's display format; sets BuildError on failure. `multiLine`
// is set when an inserted text holds CR LF.
QString frExpandLine(const QString &line, TfrView *view, bool *multiLine = nullptr);
