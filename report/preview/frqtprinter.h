#pragma once
// TfrQtPrinterDevice: an installed printer (CUPS through Qt's print support)
// as the printer settings see it. Applying a paper sets it on a QPrinter for
// that printer and reads back the resolution, the sheet, the printable area
// and the paper names the printer offers.

#include "report/frprinterdevice.h"
#include "report/preview/frprinttarget.h"

#include <QPageLayout>
#include <QStringList>
#include <memory>

class QPrinter;

class TfrQtPrinterDevice : public TfrPrinterDevice
{
public:
    explicit TfrQtPrinterDevice(const QString &printerName);
    ~TfrQtPrinterDevice() override;

    QString name() const override { return m_name; }
    bool applyPaper(int &code, int &width, int &height, int &orientation, TfrPrinterGeometry &geometry) override;

    int resolution() const { return m_resolution; }
    QStringList paperNames() const { return m_paperNames; }

    // The page layout of a paper (code from the paper table, or 256 with its
    // size); an invalid layout when the code is unknown.
    static QPageLayout pageLayout(const TfrPaper &paper, const QMarginsF &marginsMillimetre = {});
    // Sets the paper on a printer; false when the printer does not take it.
    static bool applyTo(QPrinter &printer, const TfrPaper &paper);
    static TfrDeviceGeometry deviceGeometry(QPrinter &printer);

private:
    QString m_name;
    std::unique_ptr<QPrinter> m_printer;
    int m_resolution = 0;
    QStringList m_paperNames;
};
