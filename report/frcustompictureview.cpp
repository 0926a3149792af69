#include "report/frcustompictureview.h"

#include "report/frbinaryreader.h"
#include "report/frbinarywriter.h"

TfrCustomPictureView::TfrCustomPictureView(TfrReport *report) : TfrView(report)
{
    Kind = frKind::Picture;
    Flags = PictureStretched | KeepAspect;
}

void TfrCustomPictureView::Assign(const TfrView &from)
{
    TfrView::Assign(from);
    if (const auto *p = dynamic_cast<const TfrCustomPictureView *>(&from)) {
        GraphicKind = p->GraphicKind;
        Graphic = p->Graphic;
    }
}

void TfrCustomPictureView::LoadFromStream(TfrBinaryReader &r, int)
{
    GraphicKind = r.u8();
    const qint64 end = r.i32();
    // The stored end position is the only length there is: it must lie ahead.
    if (end < r.pos() || end - r.pos() > r.remaining())
        throw EfrStreamError(QStringLiteral("Picture end position %1 out of range at %2").arg(end).arg(r.pos()));
    Graphic = GraphicKind == NoGraphic ? QByteArray() : r.bytes(end - r.pos());
    r.seek(end);
}

void TfrCustomPictureView::SaveToStream(TfrBinaryWriter &w) const
{
    w.u8(GraphicKind);
    const qint64 at = w.pos();
    w.i32(0);
    if (GraphicKind != NoGraphic) w.bytes(Graphic);
    w.patchI32(at, qint32(w.pos()));
}
