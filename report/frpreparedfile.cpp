#include "report/frpreparedfile.h"

#include "core/safefile.h"

#include "report/frbinaryreader.h"
#include "report/frbinarywriter.h"
#include "report/fremfdevice.h"
#include "report/frbuildcontext.h"
#include "report/frlimits.h"
#include "report/frpapertable.h"
#include "report/frprintersettings.h"
#include "report/frreport.h"

#include <QFile>
#include <QIODevice>
#include <QPainter>
#include <QtEndian>

namespace {

// Fixed part of a page record before its metafile.
constexpr qint64 kPageHeaderSize = 4 + 2 + 4 + 4 + 1 + 1;
// The smallest Enhanced Metafile header record (EMR_HEADER without the
// pixel-format and micrometre extensions).
constexpr qint64 kEmfMinHeader = 88;
constexpr quint32 kEmrHeader = 1;
constexpr quint32 kEmfSignature = 0x464D4520;   // " EMF"

quint32 u32At(const QByteArray &data, qint64 at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

[[noreturn]] void invalid(const QString &why, qint64 at)
{
    throw EfrPreparedFileError(TfrLoadResult::failure(TfrPreparedFile::invalidFileMessage(),
                                                      QStringLiteral("corrupt at byte %1: %2").arg(at).arg(why), at));
}

// The metafile's own length from its header, checked against the bytes the
// page record leaves for it; `at` is where the span starts in the stream.
qint64 metafileLength(const QByteArray &span, qint64 at)
{
    if (span.size() < kEmfMinHeader) invalid(QStringLiteral("page drawing of %1 bytes").arg(span.size()), at);
    const quint32 type = u32At(span, 0);
    const quint32 headerSize = u32At(span, 4);
    const quint32 signature = u32At(span, 40);
    const quint32 bytes = u32At(span, 48);
    if (type != kEmrHeader || signature != kEmfSignature) invalid(QStringLiteral("page drawing is not a metafile"), at);
    if (headerSize < kEmfMinHeader || headerSize > bytes || bytes > quint32(span.size()))
        invalid(QStringLiteral("metafile of %1 bytes in %2").arg(bytes).arg(span.size()), at);
    return bytes;
}

} // namespace

QString TfrPreparedFile::invalidFileMessage()
{
    return QStringLiteral("Il file non è un report valido o è danneggiato.");
}

QByteArray TfrPreparedFile::blankPage(int width, int height)
{
    TfrEmfDevice device(QSize(qMax(1, width), qMax(1, height)));
    {
        QPainter painter(&device);
    }
    return device.finish();
}

QByteArray TfrPreparedFile::write(const TfrEMFPages &pages, const QString &printerName, qint64 base)
{
    TfrBinaryWriter w(base);
    w.stringList(QStringList{printerName});

    // The page list offers no const access; a copy shares the drawings.
    TfrEMFPages copy = pages;
    QList<TfrPreparedPage> list;
    for (int i = 0; i < copy.Count(); ++i) list << copy[i];
    if (list.isEmpty()) {
        const TPrinterSettings &prn = TPrinterSettings::instance();
        TfrPreparedPage blank;
        blank.PaperSize = prn.PaperSize;
        blank.PaperWidth = prn.PaperWidth;
        blank.PaperHeight = prn.PaperHeight;
        blank.Orientation = prn.Orientation;
        blank.PrnInfo = prn.Geometry;
        blank.Drawing = blankPage(prn.Geometry.pageWidth, prn.Geometry.pageHeight);
        list << blank;
    }

    w.i32(qint32(list.size()));
    for (const TfrPreparedPage &page : list) {
        const qint64 at = w.pos();
        w.i32(0);
        w.u16(quint16(page.PaperSize));
        w.i32(page.PaperWidth);
        w.i32(page.PaperHeight);
        w.u8(page.Orientation ? 1 : 0);
        w.u8(page.UseMargins ? 1 : 0);
        w.bytes(page.Drawing);
        w.patchI32(at, qint32(w.pos()));
    }
    return w.data();
}

TfrPreparedFile::Content TfrPreparedFile::parse(const QByteArray &data, qint64 base)
{
    Content content;
    TfrBinaryReader r(data, base);
    try {
        content.printerName = r.stringList(27).value(0);
        const qint32 count = r.i32();
        // Every page needs its record header and a metafile header: a count
        // that cannot fit is refused before anything is allocated for it.
        if (count < 1 || count > r.remaining() / (kPageHeaderSize + kEmfMinHeader))
            invalid(QStringLiteral("page count %1 does not fit %2 bytes").arg(count).arg(r.remaining()), r.pos());
        const qint64 end = base + data.size();
        content.pages.reserve(count);
        for (qint32 i = 0; i < count; ++i) {
            const qint64 recordAt = r.pos();
            const qint64 next = r.i32();
            Page page;
            page.PaperSize = r.u16();
            page.PaperWidth = r.i32();
            page.PaperHeight = r.i32();
            page.Orientation = r.u8() ? 1 : 0;
            page.UseMargins = r.u8() != 0;
            if (next <= recordAt || next > end || next < r.pos())
                invalid(QStringLiteral("page %1 ends at %2").arg(i + 1).arg(next), recordAt);
            // Papers beyond the limit are no paper: they would only overflow
            // the geometry and the preview's layout.
            if (page.PaperWidth <= 0 || page.PaperHeight <= 0 || page.PaperWidth > frLimits::MaxPaper
                || page.PaperHeight > frLimits::MaxPaper)
                invalid(QStringLiteral("page %1 on paper %2 x %3").arg(i + 1).arg(page.PaperWidth).arg(page.PaperHeight),
                        recordAt);
            const qint64 drawingAt = r.pos();
            const QByteArray span = r.bytes(next - r.pos());
            page.Drawing = span.left(metafileLength(span, drawingAt));
            content.pages << page;
            r.seek(next);
        }
    } catch (const EfrStreamError &e) {
        invalid(e.message(), r.pos());
    }
    return content;
}

QByteArray TfrPreparedFile::save(const TfrReport &report, qint64 base)
{
    return write(report.EMFPages, report.Context().Printer.PrinterName(), base);
}

void TfrPreparedFile::load(TfrReport &report, const QByteArray &data, qint64 base)
{
    const Content content = parse(data, base);

    TPrinterSettings &prn = report.Context().Printer;
    if (!report.UseDefaultPrinter) {
        const int index = prn.Printers().indexOf(content.printerName);
        if (index >= 0 && index != prn.PrinterIndex()) prn.SetPrinterIndex(index);
    }

    report.EMFPages.Clear();
    for (const Page &p : content.pages) {
        TfrPreparedPage page;
        page.PaperSize = p.PaperSize;
        page.PaperWidth = p.PaperWidth;
        page.PaperHeight = p.PaperHeight;
        page.Orientation = p.Orientation;
        page.UseMargins = p.UseMargins;
        page.Drawing = p.Drawing;
        if (!prn.SetPrinterInfo(p.PaperSize, p.PaperWidth, p.PaperHeight, p.Orientation)) {
            page.PaperSize = frPaper::Custom;
            prn.SetPrinterInfo(frPaper::Custom, p.PaperWidth, p.PaperHeight, p.Orientation);
        }
        page.PrnInfo = prn.Geometry;
        report.EMFPages.Add(page);
    }
    report.HasPreparedPages = true;
}

void TfrPreparedFile::SavePrepared(const TfrReport &report, const QString &fileName)
{
    // Written aside and put in place whole: a failed save keeps the old file.
    QString reason;
    if (!safefile::write(fileName, save(report, 0), &reason))
        throw Exception(QStringLiteral("Impossibile scrivere il file %1: %2.").arg(fileName, reason));
}

void TfrPreparedFile::LoadPrepared(TfrReport &report, const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) throw Exception(QStringLiteral("Impossibile aprire il file %1").arg(fileName));
    LoadPreparedStream(report, file);
}

void TfrPreparedFile::SavePreparedStream(const TfrReport &report, QIODevice &stream)
{
    const qint64 base = stream.isSequential() ? 0 : stream.pos();
    const QByteArray data = save(report, base);
    if (stream.write(data) != data.size()) throw Exception(QStringLiteral("Errore di scrittura del report"));
}

void TfrPreparedFile::LoadPreparedStream(TfrReport &report, QIODevice &stream)
{
    const qint64 base = stream.isSequential() ? 0 : stream.pos();
    load(report, stream.readAll(), base);
}
