#include "report/frpage.h"

#include "report/frbinaryreader.h"
#include "report/frbinarywriter.h"
#include "report/frpapertable.h"
#include "report/frprintersettings.h"
#include "report/frview.h"

TfrPage::TfrPage(int paperSize, int paperWidth, int paperHeight, int orientation)
{
    ChangePaper(paperSize, paperWidth, paperHeight, orientation);
}

TfrPage::~TfrPage() { Clear(); }

void TfrPage::Delete(int index)
{
    if (index < 0 || index >= Objects.size()) return;
    delete Objects.takeAt(index);
}

void TfrPage::Clear()
{
    qDeleteAll(Objects);
    Objects.clear();
}

void TfrPage::ChangePaper(int paperSize, int paperWidth, int paperHeight, int orientation)
{
    TPrinterSettings &prn = TPrinterSettings::instance();
    if (!prn.SetPrinterInfo(paperSize, paperWidth, paperHeight, orientation))
        prn.SetPrinterInfo(frPaper::Custom, paperWidth, paperHeight, orientation);
    PaperSize = prn.PaperSize;
    PaperWidth = prn.PaperWidth;
    PaperHeight = prn.PaperHeight;
    Orientation = prn.Orientation;
    PrnInfo = prn.Geometry;
}

void TfrPage::LoadFromStream(TfrBinaryReader &r, int version)
{
    const int size = r.i32();
    const int width = r.i32();
    const int height = r.i32();
    for (int &m : Margins) m = r.i32();
    const int orientation = r.u8();
    HeaderOnFirstPage = r.bool16();
    FooterOnLastPage = r.bool16();
    RepeatTableHeader = r.bool16();
    ContinueOnPreviousPage = r.bool16();
    UseMargins = r.bool16();
    ColumnCount = r.i32();
    ColumnGap = r.i32();
    if (version > 24) {
        ScaleX = r.i32();
        ScaleY = r.i32();
    }
    ChangePaper(size, width, height, orientation);
}

void TfrPage::SaveToStream(TfrBinaryWriter &w) const
{
    w.i32(PaperSize);
    w.i32(PaperWidth);
    w.i32(PaperHeight);
    for (int m : Margins) w.i32(m);
    w.u8(quint8(Orientation));
    w.bool16(HeaderOnFirstPage);
    w.bool16(FooterOnLastPage);
    w.bool16(RepeatTableHeader);
    w.bool16(ContinueOnPreviousPage);
    w.bool16(UseMargins);
    w.i32(ColumnCount);
    w.i32(ColumnGap);
    w.i32(ScaleX);
    w.i32(ScaleY);
}
