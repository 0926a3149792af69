#include "report/frsubreportview.h"

#include "report/frbinaryreader.h"
#include "report/frbinarywriter.h"

void TfrSubReportView::Assign(const TfrView &from)
{
    TfrView::Assign(from);
    if (const auto *s = dynamic_cast<const TfrSubReportView *>(&from)) TargetPage = s->TargetPage;
}

void TfrSubReportView::LoadFromStream(TfrBinaryReader &r, int) { TargetPage = r.i32(); }

void TfrSubReportView::SaveToStream(TfrBinaryWriter &w) const { w.i32(TargetPage); }
