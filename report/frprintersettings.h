#pragma once
// The printer selection and the paper last applied. The printer list is the
// installed printers (known to the whole process) followed by the pseudo
// printer "Stampante predefinita", which takes its geometry from the paper
// table. Every report has its own selection (its build context holds it);
// instance() is the one of the active context.

#include "report/frprinterdevice.h"

#include <QList>
#include <QStringList>
#include <memory>

class TPrinterSettings
{
public:
    TPrinterSettings();
    static TPrinterSettings &instance();
    static QString defaultPrinterName();       // "Stampante predefinita"

    // The installed printers, for the whole process (the pseudo printer is
    // always added last). Every selection falls back to the pseudo printer.
    static void setDevices(const QList<std::shared_ptr<TfrPrinterDevice>> &devices);
    QStringList Printers() const;
    int PrinterIndex() const
    {
        sync();
        return m_index;
    }
    int DefaultPrinterIndex() const;
    bool IsDefaultPrinter() const { return PrinterIndex() == DefaultPrinterIndex(); }
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
    bool applyDefault(int code, int width, int height, int orientation);
    // Catches up with a change of the installed printers.
    void sync() const;

    mutable int m_index = 0;
    mutable quint64 m_devicesSeen = 0;
};
