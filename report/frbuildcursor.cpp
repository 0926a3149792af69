#include "report/frbuildcursor.h"

#include "report/frband.h"
#include "report/frbandview.h"
#include "report/frbuildstate.h"
#include "report/frdataset.h"
#include "report/frdbdataset.h"
#include "report/frpage.h"
#include "report/frreport.h"

void TfrBuildCursor::SetCurrent(int index)
{
    Current = index;
    TfrBuildState::instance().CurPageNo = index;
}

int TfrBuildCursor::ColumnOffset() const { return Page->CurX - Left; }

void TfrBuildCursor::DataSetWork(TfrBand *b, int operation)
{
    if (!r.OnDataSetWork || !b->DataSet) return;
    auto *db = qobject_cast<TfrDBDataSet *>(b->DataSet);
    int count = b->DataSet->RangeEndCount;
    r.OnDataSetWork(b->View ? b->View->Name : QString(), db ? db->DataSet() : nullptr, count, operation);
    b->DataSet->RangeEndCount = count;
}
