#include "report/preview/frqtprinttarget.h"

#include "report/fremfplayer.h"
#include "report/preview/frqtprinter.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
// The pseudo printer's offsets: 18 DesignUnit, in millimetres.
constexpr double kPseudoMarginMm = 18 * 25.4 / 96;
} // namespace

TfrQtPrintTarget::TfrQtPrintTarget(const QString &printerName) : m_printerName(printerName)
{
    if (m_printerName.isEmpty()) {
        const QPrinterInfo def = QPrinterInfo::defaultPrinter();
        if (def.isNull()) m_pdf = true;
        else m_printerName = def.printerName();
    }
}

TfrQtPrintTarget::~TfrQtPrintTarget()
{
    if (m_painter.isActive()) abortJob();
}

std::function<QString()> &TfrQtPrintTarget::pdfFileChooser()
{
    static std::function<QString()> chooser = [] {
        return QFileDialog::getSaveFileName(nullptr, QStringLiteral("Stampa su file PDF"), QString(),
                                            QStringLiteral("PDF (*.pdf)"));
    };
    return chooser;
}

QString TfrQtPrintTarget::pdfJobFileName(const QString &first, int job)
{
    if (job == 0) return first;
    const QFileInfo fi(first);
    const QString suffix = fi.suffix();
    QString stem = first;
    if (!suffix.isEmpty()) stem.chop(suffix.size() + 1);
    return stem + QLatin1Char('-') + QString::number(job + 1) + (suffix.isEmpty() ? QString() : "." + suffix);
}

bool TfrQtPrintTarget::beginJob(const QString &title, const TfrPaper &paper)
{
    if (m_pdf && m_pdfFile.isEmpty()) {
        m_pdfFile = pdfFileChooser() ? pdfFileChooser()() : QString();
        if (m_pdfFile.isEmpty()) return false;
        if (QFileInfo(m_pdfFile).suffix().isEmpty()) m_pdfFile += QStringLiteral(".pdf");
    }
    if (m_pdf) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(pdfJobFileName(m_pdfFile, m_jobs));
        const QPageLayout layout = TfrQtPrinterDevice::pageLayout(
            paper, QMarginsF(kPseudoMarginMm, kPseudoMarginMm, kPseudoMarginMm, kPseudoMarginMm));
        if (!layout.isValid() || !m_printer->setPageLayout(layout)) return false;
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(m_printerName);
        if (info.isNull()) return false;
        m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        if (!TfrQtPrinterDevice::applyTo(*m_printer, paper)) return false;
    }
    m_printer->setDocName(title);
    m_printer->setCopyCount(1);
    m_printer->setCollateCopies(false);
    if (!m_painter.begin(m_printer.get())) return false;
    ++m_jobs;
    m_geometry = TfrQtPrinterDevice::deviceGeometry(*m_printer);
    return true;
}

bool TfrQtPrintTarget::newSheet() { return m_printer && m_printer->newPage(); }

void TfrQtPrintTarget::playPage(const QByteArray &emf, const QRect &target)
{
    if (m_painter.isActive()) TfrEmfPlayer::play(emf, m_painter, QRectF(target));
}

void TfrQtPrintTarget::endJob()
{
    if (m_painter.isActive()) m_painter.end();
}

void TfrQtPrintTarget::abortJob()
{
    if (m_printer) m_printer->abort();
    if (m_painter.isActive()) m_painter.end();
}
