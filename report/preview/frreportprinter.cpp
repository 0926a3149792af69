#include "report/preview/frreportprinter.h"

#include "report/frpapertable.h"
#include "report/frprintersettings.h"
#include "report/frreport.h"
#include "report/preview/frprintsystem.h"
#include "report/preview/frprogressform.h"

#include <QCoreApplication>

namespace {

TfrPaper paperOf(const TfrPreparedPage &page)
{
    return TfrPaper{page.PaperSize, page.PaperWidth, page.PaperHeight, page.Orientation ? 1 : 0};
}

// Applies a page's paper to the printer settings (a refused paper becomes
// custom size) and returns what the printer holds.
TfrPaper applyPaper(const TfrPaper &paper)
{
    TPrinterSettings &prn = TPrinterSettings::instance();
    if (!prn.SetPrinterInfo(paper.code, paper.width, paper.height, paper.orientation))
        prn.SetPrinterInfo(frPaper::Custom, paper.width, paper.height, paper.orientation);
    return TfrPaper{prn.PaperSize, prn.PaperWidth, prn.PaperHeight, prn.Orientation};
}

} // namespace

std::function<void(TfrProgressForm &)> &TfrReportPrinter::progressHook()
{
    static std::function<void(TfrProgressForm &)> hook;
    return hook;
}

void TfrReportPrinter::PrintPages(int firstPage, int lastPage, bool collate, int copies)
{
    if (!m_report.OnProgress && m_report.ShowProgress) {
        QString caption = QStringLiteral("Report in preparazione");
        if (!m_report.Title.isEmpty()) caption += QStringLiteral(" - ") + m_report.Title;
        TfrProgressForm form(m_report, caption, QStringLiteral("Pagina in stampa:"));
        form.run([&] { run(firstPage, lastPage, collate, copies, &form); });
    } else {
        run(firstPage, lastPage, collate, copies, nullptr);
    }
}

void TfrReportPrinter::run(int first, int last, bool collate, int copies, TfrProgressForm *progress)
{
    m_report.Terminated = false;
    bool doContinue = true;
    if (m_report.OnBeforePrint) m_report.OnBeforePrint(doContinue);
    if (!doContinue) return;

    TfrPrintSystem::RefreshPrinters();
    first = qMax(first - 1, 0);
    last = qMin(last - 1, m_report.EMFPages.Count() - 1);
    copies = qMax(copies, 1);
    if (first > last) return;

    QList<int> order;
    if (collate) {
        for (int c = 0; c < copies; ++c)
            for (int i = first; i <= last; ++i) order << i;
    } else {
        for (int i = first; i <= last; ++i)
            for (int c = 0; c < copies; ++c) order << i;
    }

    TPrinterSettings &prn = TPrinterSettings::instance();
    const QString title = m_report.Title.isEmpty() ? QStringLiteral("Quillo: Nessun nome") : m_report.Title;
    std::unique_ptr<TfrPrintTarget> target =
        TfrPrintSystem::current().createTarget(prn.PrinterName(), prn.IsDefaultPrinter());

    TfrPaper pagePaper = paperOf(m_report.EMFPages[first]);
    bool printing = target->beginJob(title, applyPaper(pagePaper));
    const int total = int(order.size());
    for (int n = 0; printing && n < total; ++n) {
        TfrPreparedPage &page = m_report.EMFPages[order[n]];
        if (paperOf(page) != pagePaper) {
            target->endJob();
            pagePaper = paperOf(page);
            printing = target->beginJob(title, applyPaper(pagePaper));
            if (!printing) break;
        } else if (n > 0) {
            target->newSheet();
        }

        const TfrDeviceGeometry g = target->geometry();
        // With margins the design page covers the whole sheet, whose corner
        // lies up and left of the printable area the device draws from.
        const QRect rect = page.UseMargins
                               ? QRect(-g.offsetLeft, -g.offsetTop, g.physicalWidth, g.physicalHeight)
                               : QRect(0, 0, g.printableWidth, g.printableHeight);
        target->playPage(page.Drawing, rect);

        if (progress) {
            const QString number = QString::number(order[n] + 1);
            if (m_report.TwoPass) {
                progress->setLabel(QStringLiteral("Pagina in stampa:  ") + number + QStringLiteral(" di ")
                                   + QString::number(m_report.EMFPages.Count()));
            } else {
                progress->setNumber(number);
            }
            if (progressHook()) progressHook()(*progress);
            QCoreApplication::processEvents();
        }
        if (m_report.OnProgress) m_report.OnProgress((n + 1) * 100 / total, false);
        if (m_report.Terminated) {
            target->abortJob();
            printing = false;
        }
    }
    if (printing) target->endJob();
    if (m_report.OnAfterPrint) m_report.OnAfterPrint();
}
