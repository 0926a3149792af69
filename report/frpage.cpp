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
    const qint64 widthAt = r.pos();
    const int width = r.i32(frLimits::PaperSize, "width");
    const int height = r.i32(frLimits::PaperSize, "height");
    const char *margins[] = {"left margin", "top margin", "right margin", "bottom margin"};
    for (int i = 0; i < 4; ++i) Margins[i] = r.i32(frLimits::PageLength, margins[i]);
    const int orientation = r.u8();
    HeaderOnFirstPage = r.bool16();
    FooterOnLastPage = r.bool16();
    RepeatTableHeader = r.bool16();
    ContinueOnPreviousPage = r.bool16();
    UseMargins = r.bool16();
    ColumnCount = r.i32(frLimits::ColumnCount, "column count");
    ColumnGap = r.i32(frLimits::PageLength, "column gap");
    const qint64 scaleAt = r.pos();
    if (version > 24) {
        ScaleX = r.i32();
        ScaleY = r.i32();
    }
    ChangePaper(size, width, height, orientation);

    // The paper of the prepared pages is the accepted one, scaled. Held to the
    // same limit, every page a build makes can be saved and read back.
    const auto check = [&](const char *name, int paper, int scale, qint64 paperField, qint64 scaleField) {
        const qint64 scaled = qRound64(double(paper) * scale / 100.0);
        if (scaled >= 1 && scaled <= frLimits::MaxPaper) return;
        // Blame the scale when the paper alone is fine.
        const bool paperFine = paper >= 1 && paper <= frLimits::MaxPaper;
        const QLatin1StringView limit(frLimits::PaperSize.maxText);
        const QString what =
            scaled < 1 ? QStringLiteral("leaves no paper") : QStringLiteral("beyond %1").arg(limit);
        throw EfrStreamError(QStringLiteral("%1 %2 at scale %3% %4")
                                 .arg(QLatin1StringView(name)).arg(paper).arg(scale).arg(what),
                             paperFine && version > 24 ? scaleField : paperField);
    };
    check("width", PaperWidth, ScaleX, widthAt, scaleAt);
    check("height", PaperHeight, ScaleY, widthAt + 4, scaleAt + 4);
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
