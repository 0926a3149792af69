#pragma once
// A real printer as the printer settings see it. The headless engine knows only
// the pseudo printer; the widget layer plugs real printers in (Qt's print
// support needs widgets), and tests plug in fakes.

#include <QString>

// Geometry of the selected paper, in DesignUnit (pixels at 96 per inch).
struct TfrPrinterGeometry
{
    int pageWidth = 0, pageHeight = 0;
    int offsetLeft = 0, offsetTop = 0;
    int printableWidth = 0, printableHeight = 0;
};

class TfrPrinterDevice
{
public:
    virtual ~TfrPrinterDevice() = default;
    virtual QString name() const = 0;
    // Applies a paper (code, or 256 with width and height in tenths of a
    // millimetre; orientation 0 portrait, 1 landscape). Returns false when the
    // printer rejects it; otherwise fills in the values the printer took and
    // the geometry.
    virtual bool applyPaper(int &code, int &width, int &height, int &orientation,
                            TfrPrinterGeometry &geometry) = 0;
};
