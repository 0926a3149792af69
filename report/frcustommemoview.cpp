#include "report/frcustommemoview.h"

#include "report/frbinaryreader.h"
#include "report/frbinarywriter.h"

TfrCustomMemoView::TfrCustomMemoView(TfrReport *report) : TfrView(report)
{
    Kind = frKind::Memo;
}

void TfrCustomMemoView::Assign(const TfrView &from)
{
    TfrView::Assign(from);
    if (const auto *m = dynamic_cast<const TfrCustomMemoView *>(&from)) {
        FontName = m->FontName;
        FontSize = m->FontSize;
        FontStyle = m->FontStyle;
        FontColor = m->FontColor;
        TextLayout = m->TextLayout;
        HighlightStyle = m->HighlightStyle;
        HighlightFontColor = m->HighlightFontColor;
        HighlightFillColor = m->HighlightFillColor;
        HighlightOn = m->HighlightOn;
        HighlightCondition = m->HighlightCondition;
    }
}

void TfrCustomMemoView::LoadFromStream(TfrBinaryReader &r, int version)
{
    FontName = r.stringList(version).value(0);
    FontSize = r.i32(frLimits::FontSize, "font size");
    FontStyle = r.u16() & 7;
    FontColor = r.i32();
    TextLayout = r.i32();
    HighlightStyle = r.u16() & 7;
    HighlightFontColor = r.i32();
    HighlightFillColor = r.i32();
    HighlightOn = r.u16() != 0;
    HighlightCondition = r.stringList(version).value(0);
    if (version == 21) Flags |= WordWrap;
}

void TfrCustomMemoView::SaveToStream(TfrBinaryWriter &w) const
{
    w.stringList(FontName.isEmpty() ? QStringList() : QStringList{FontName});
    w.i32(FontSize);
    w.u16(FontStyle & 7);
    w.i32(FontColor);
    w.i32(TextLayout);
    w.u16(HighlightStyle & 7);
    w.i32(HighlightFontColor);
    w.i32(HighlightFillColor);
    w.bool16(HighlightOn);
    w.stringList(HighlightCondition.isEmpty() ? QStringList() : QStringList{HighlightCondition});
}
