#include "report/frprintersettings.h"

#include "report/frbuildcontext.h"
#include "report/frpapertable.h"

#include <utility>

namespace {
struct Installed
{
    QList<std::shared_ptr<TfrPrinterDevice>> devices;
    quint64 generation = 1;
};

Installed &installed()
{
    static Installed list;
    return list;
}
} // namespace

TPrinterSettings &TPrinterSettings::instance()
{
    return frActiveContext().Printer;
}

QString TPrinterSettings::defaultPrinterName() { return QStringLiteral("Stampante predefinita"); }

TPrinterSettings::TPrinterSettings()
{
    applyDefault(frPaper::A4, 0, 0, 0);
    m_index = DefaultPrinterIndex();
    m_devicesSeen = installed().generation;
}

void TPrinterSettings::setDevices(const QList<std::shared_ptr<TfrPrinterDevice>> &devices)
{
    installed().devices = devices;
    ++installed().generation;
}

void TPrinterSettings::sync() const
{
    if (m_devicesSeen == installed().generation) return;
    m_devicesSeen = installed().generation;
    m_index = DefaultPrinterIndex();
    const_cast<TPrinterSettings *>(this)->applyDefault(PaperSize, PaperWidth, PaperHeight, Orientation);
}

int TPrinterSettings::DefaultPrinterIndex() const { return int(installed().devices.size()); }

QStringList TPrinterSettings::Printers() const
{
    QStringList list;
    for (const auto &d : installed().devices) list << d->name();
    list << defaultPrinterName();
    return list;
}

bool TPrinterSettings::SetPrinterIndex(int index)
{
    sync();
    if (index < 0 || index > DefaultPrinterIndex()) return false;
    m_index = index;
    const int code = PaperSize, w = PaperWidth, h = PaperHeight, o = Orientation;
    // Force the paper to be applied to the new printer.
    PaperSize = -1;
    if (!SetPrinterInfo(code, w, h, o)) SetPrinterInfo(frPaper::Custom, w, h, o);
    return true;
}

bool TPrinterSettings::SetPrinterInfo(int code, int width, int height, int orientation)
{
    sync();
    orientation = orientation ? 1 : 0;
    if (code == PaperSize && orientation == Orientation
        && (code != frPaper::Custom || (width == PaperWidth && height == PaperHeight)))
        return true;
    if (IsDefaultPrinter()) return applyDefault(code, width, height, orientation);

    TfrPrinterGeometry g;
    int c = code, w = width, h = height, o = orientation;
    if (!installed().devices[m_index]->applyPaper(c, w, h, o, g)) return false;
    PaperSize = c;
    PaperWidth = w;
    PaperHeight = h;
    Orientation = o ? 1 : 0;
    Geometry = g;
    return true;
}

bool TPrinterSettings::applyDefault(int code, int width, int height, int orientation)
{
    if (code != frPaper::Custom) {
        const TfrPaperInfo *paper = frPaper::find(code);
        if (!paper) return false;
        width = paper->width;
        height = paper->height;
        if (orientation) std::swap(width, height);
    }
    PaperSize = code;
    PaperWidth = width;
    PaperHeight = height;
    Orientation = orientation ? 1 : 0;
    Geometry.pageWidth = frPaper::toDesignUnit(width);
    Geometry.pageHeight = frPaper::toDesignUnit(height);
    Geometry.offsetLeft = Geometry.offsetTop = 18;
    Geometry.printableWidth = Geometry.pageWidth - 36;
    Geometry.printableHeight = Geometry.pageHeight - 36;
    return true;
}
