#pragma once
// The printer list and the paper last applied. The list is the installed
// printers followed by the pseudo printer "Stampante predefinita", which takes
// its geometry from the paper table. One instance for the process.

#include "report/frprinterdevice.h"

#include <QList>
#include <QStringList>
#include <memory>

class TPrinterSettings
{
public:
    static TPrinterSettings &instance();
    static QString defaultPrinterName();       // "Stampante predefinita"

    // Installed printers (the pseudo printer is always added last). Selects the pseudo printer.
    void setDevices(const QList<std::shared_ptr<TfrPrinterDevice>> &devices);
    QStringList Printers() const;
    int PrinterIndex() const { return m_index; }
    int DefaultPrinterIndex() const { return int(m_devices.size()); }
    bool IsDefaultPrinter() const { return m_index == DefaultPrinterIndex(); }
    QString PrinterName() const { return Printers().value(m_index); }
    // Selects a printer by index and applies the current paper to it; false
    // (and nothing changed) for an index out of range.
    bool SetPrinterIndex(int index);

    // Applies a paper; false when the selected printer rejects it.
    bool SetPrinterInfo(int code, int width, int height, int orientation);

    int PaperSize = 9;
    int PaperWidth = 2100;
    int PaperHeight = 2970;
    int Orientation = 0;
    TfrPrinterGeometry Geometry;

private:
    TPrinterSettings();
    bool applyDefault(int code, int width, int height, int orientation);

    QList<std::shared_ptr<TfrPrinterDevice>> m_devices;
    int m_index = 0;
};
