#include "report/preview/frprintsystem.h"

#include "report/frpage.h"
#include "report/frpapertable.h"
#include "report/frprintersettings.h"
#include "report/frreport.h"
#include "report/preview/frpreviewmessage.h"
#include "report/preview/frqtprinter.h"
#include "report/preview/frqtprinttarget.h"

#include <QPrinterInfo>

namespace {

class TfrQtPrintSystem : public TfrPrintSystem
{
public:
    QList<std::shared_ptr<TfrPrinterDevice>> printers() override
    {
        QList<std::shared_ptr<TfrPrinterDevice>> list;
        for (const QString &name : QPrinterInfo::availablePrinterNames())
            list << std::make_shared<TfrQtPrinterDevice>(name);
        return list;
    }
    std::unique_ptr<TfrPrintTarget> createTarget(const QString &printerName, bool defaultEntry) override
    {
        return std::make_unique<TfrQtPrintTarget>(defaultEntry ? QString() : printerName);
    }
};

TfrPrintSystem *&installed()
{
    static TfrPrintSystem *system = nullptr;
    return system;
}

} // namespace

TfrPrintSystem &TfrPrintSystem::current()
{
    static TfrQtPrintSystem qt;
    return installed() ? *installed() : qt;
}

void TfrPrintSystem::setCurrent(TfrPrintSystem *system) { installed() = system; }

void TfrPrintSystem::RefreshPrinters()
{
    TPrinterSettings &prn = TPrinterSettings::instance();
    const QString selected = prn.PrinterName();
    const int code = prn.PaperSize, width = prn.PaperWidth, height = prn.PaperHeight, orientation = prn.Orientation;
    prn.setDevices(current().printers());
    const int index = prn.Printers().indexOf(selected);
    if (index >= 0 && index != prn.PrinterIndex()) prn.SetPrinterIndex(index);
    if (!prn.SetPrinterInfo(code, width, height, orientation))
        prn.SetPrinterInfo(frPaper::Custom, width, height, orientation);
}

bool TfrPrintSystem::SelectPrinter(TfrReport &report, int index)
{
    TPrinterSettings &prn = TPrinterSettings::instance();
    const int previous = prn.PrinterIndex();
    bool ok = prn.SetPrinterIndex(index);
    for (int i = 0; ok && i < report.Pages.Count(); ++i) {
        const TfrPage *page = report.Pages[i];
        ok = prn.SetPrinterInfo(page->PaperSize, page->PaperWidth, page->PaperHeight, page->Orientation)
             || prn.SetPrinterInfo(frPaper::Custom, page->PaperWidth, page->PaperHeight, page->Orientation);
    }
    if (!ok) {
        frPreviewMessage(QStringLiteral("La stampante selezionata non è valida"), QStringLiteral("Errore"),
                         TMsgDlgType::mtError);
        prn.SetPrinterIndex(previous);
    }
    for (int i = 0; i < report.Pages.Count(); ++i) {
        TfrPage *page = report.Pages[i];
        page->ChangePaper(page->PaperSize, page->PaperWidth, page->PaperHeight, page->Orientation);
    }
    return ok;
}
