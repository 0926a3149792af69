#include "report/preview/frqtprinter.h"

#include "report/frpapertable.h"

#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

TfrQtPrinterDevice::TfrQtPrinterDevice(const QString &printerName) : m_name(printerName) {}

TfrQtPrinterDevice::~TfrQtPrinterDevice() = default;

QPageLayout TfrQtPrinterDevice::pageLayout(const TfrPaper &paper, const QMarginsF &margins)
{
    int w = paper.width, h = paper.height;
    if (paper.code != frPaper::Custom) {
        const TfrPaperInfo *info = frPaper::find(paper.code);
        if (!info) return QPageLayout();
        w = info->width;
        h = info->height;
    } else if (paper.orientation) {
        // Custom sizes arrive with the landscape sides already swapped.
        std::swap(w, h);
    }
    if (w <= 0 || h <= 0) return QPageLayout();
    const QPageSize size(QSizeF(w / 10.0, h / 10.0), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    return QPageLayout(size, paper.orientation ? QPageLayout::Landscape : QPageLayout::Portrait, margins,
                       QPageLayout::Millimeter);
}

bool TfrQtPrinterDevice::applyTo(QPrinter &printer, const TfrPaper &paper)
{
    const QPageLayout layout = pageLayout(paper);
    if (!layout.isValid()) return false;
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        const QPrinterInfo info(printer);
        const QList<QPageSize> sizes = info.supportedPageSizes();
        const bool known = std::any_of(sizes.begin(), sizes.end(), [&](const QPageSize &s) {
            return s.id() == layout.pageSize().id() && s.id() != QPageSize::Custom;
        });
        if (!sizes.isEmpty() && !known && !info.supportsCustomPageSizes()) return false;
    }
    if (!printer.setPageSize(layout.pageSize())) return false;
    printer.setPageOrientation(layout.orientation());
    return true;
}

TfrDeviceGeometry TfrQtPrinterDevice::deviceGeometry(QPrinter &printer)
{
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    TfrDeviceGeometry g;
    g.physicalWidth = paper.width();
    g.physicalHeight = paper.height();
    g.offsetLeft = page.left() - paper.left();
    g.offsetTop = page.top() - paper.top();
    g.printableWidth = page.width();
    g.printableHeight = page.height();
    return g;
}

bool TfrQtPrinterDevice::applyPaper(int &code, int &width, int &height, int &orientation,
                                    TfrPrinterGeometry &geometry)
{
    if (!m_printer) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(m_name);
        if (info.isNull()) return false;
        m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    const TfrPaper paper{code, width, height, orientation ? 1 : 0};
    if (!applyTo(*m_printer, paper)) return false;

    m_resolution = m_printer->resolution();
    m_paperNames.clear();
    for (const QPageSize &s : QPrinterInfo(*m_printer).supportedPageSizes()) m_paperNames << s.name();

    const TfrDeviceGeometry d = deviceGeometry(*m_printer);
    const auto du = [this](int px) { return m_resolution > 0 ? qRound(px * 96.0 / m_resolution) : px; };
    geometry.pageWidth = du(d.physicalWidth);
    geometry.pageHeight = du(d.physicalHeight);
    geometry.offsetLeft = du(d.offsetLeft);
    geometry.offsetTop = du(d.offsetTop);
    geometry.printableWidth = du(d.printableWidth);
    geometry.printableHeight = du(d.printableHeight);

    // What the printer took: the size in tenths of a millimetre as it stands.
    const QSizeF mm = m_printer->pageLayout().fullRect(QPageLayout::Millimeter).size();
    orientation = paper.orientation;
    width = qRound(mm.width() * 10);
    height = qRound(mm.height() * 10);
    return true;
}
