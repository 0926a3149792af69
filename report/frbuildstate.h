#pragma once
// The state shared by the report's name resolver, the builder and the
// evaluator: the current page, band and object, the output page, the build's
// date and time, TOTALPAGES, LastValue, the last field a name lookup found,
// and BuildError (a flag and a text; the first error of a build wins). Each
// report has its own (TfrBuildContext); instance() is the active report's.

#include "report/frvariant.h"

#include <QList>
#include <QPointer>
#include <QString>

class TfrReport;
class TfrPage;
class TfrBand;
class TfrView;
class TField;

struct TfrBuildState
{
    static TfrBuildState &instance();

    TfrPage *CurPage = nullptr;
    TfrBand *CurBand = nullptr;
    TfrView *CurView = nullptr;
    int CurPageNo = 0;           // 0-based index of the output page (PAGE# is + 1)
    double BuildDate = 0;        // DATE and TIME of the build
    double BuildTime = 0;
    int TotalPages = 0;
    // While a footer row draws its table columns: the column whose own
    // accumulators aggregates in the table data band read (-1 otherwise).
    int TableColumn = -1;
    // Build-order page index -> position in the interleaved order of the first
    // pass; PAGE# numbers by it when the report numbers interleaved pages.
    QList<int> InterleavedPosition;
    TfrVariant LastValue;
    TField *LastField = nullptr;
    bool LastFieldNull = false;  // the last resolve returned a Null database field
    bool Registering = false;    // aggregates are being registered
    int AggregateGroupLevel = 0; // group level of the band being registered

    bool BuildErrorSet = false;
    QString BuildErrorText;

    // Clears the current page, band and object, LastValue and the error state.
    void reset();
};

// The current report: the one whose context is active (set by loading,
// building, designing, linking).
TfrReport *CurrentReport();
void frSetCurrentReport(TfrReport *report);

// Sets BuildError with the layout of the engine (first error wins) and the
// current report's cancel flag.
void frSetBuildError(const QString &message);
void frClearBuildError();
bool frBuildErrorSet();
QString frBuildErrorText();
