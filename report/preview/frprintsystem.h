#pragma once
// TfrPrintSystem: the printers of the machine and the targets that print on
// them. The default is Qt's print support (CUPS); tests install their own to
// list fake printers and record print jobs without a print server.
//
// The static helpers keep the engine's printer settings in step with it:
// refreshing the printer list (keeping the selected printer when it is still
// there) and selecting a printer from a dialog.

#include "report/frprinterdevice.h"
#include "report/preview/frprinttarget.h"

#include <QList>
#include <memory>

class TfrReport;

class TfrPrintSystem
{
public:
    virtual ~TfrPrintSystem() = default;
    virtual QList<std::shared_ptr<TfrPrinterDevice>> printers() = 0;
    // A target for a printer list entry; `defaultEntry` for "Stampante predefinita".
    virtual std::unique_ptr<TfrPrintTarget> createTarget(const QString &printerName, bool defaultEntry) = 0;

    static TfrPrintSystem &current();
    // Not owned; nullptr restores Qt's.
    static void setCurrent(TfrPrintSystem *system);

    static void RefreshPrinters();
    // Applies the paper of every design page on the printer at `index`; when
    // that fails, shows "La stampante selezionata non è valida" and selects
    // the previous printer again.
    static bool SelectPrinter(TfrReport &report, int index);
};
