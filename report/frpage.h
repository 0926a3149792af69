#pragma once
// A design page: its paper and layout fields (as stored in a template), the
// printer geometry for that paper, and its objects in drawing order (owned).
// While a report is built the page also holds one band chain per band type
// and its run-time counters.

#include "report/frbandtypes.h"
#include "report/frprinterdevice.h"

#include <QList>

class TfrView;
class TfrBand;
class TfrBinaryReader;
class TfrBinaryWriter;

class TfrPage
{
public:
    // Applies the paper to the printer settings and takes back what they accepted.
    TfrPage(int paperSize, int paperWidth, int paperHeight, int orientation);
    ~TfrPage();
    TfrPage(const TfrPage &) = delete;
    TfrPage &operator=(const TfrPage &) = delete;

    // Page record after its tag (the paper is applied after reading).
    void LoadFromStream(TfrBinaryReader &reader, int fileVersion);
    void SaveToStream(TfrBinaryWriter &writer) const;

    // Passes the paper to the printer settings (falling back to a custom size
    // when refused) and keeps the values and geometry the printer holds.
    void ChangePaper(int paperSize, int paperWidth, int paperHeight, int orientation);

    int PaperSize = 9;
    int PaperWidth = 0;
    int PaperHeight = 0;
    int Margins[4] = {38, 38, 38, 57};    // left, top, right, bottom
    int Orientation = 0;
    bool HeaderOnFirstPage = true;
    bool FooterOnLastPage = true;
    bool RepeatTableHeader = false;
    bool ContinueOnPreviousPage = false;
    bool UseMargins = true;
    int ColumnCount = 0;
    int ColumnGap = 0;
    int ScaleX = 100;
    int ScaleY = 100;

    TfrPrinterGeometry PrnInfo;            // DesignUnit

    QList<TfrView *> Objects;              // owned, drawing order
    void Add(TfrView *view) { Objects.append(view); }
    void Delete(int index);
    void Clear();

    // Build time.
    TfrBand *Bands[frBand::TypeCount] = {};
    int CurY = 0, CurBottomY = 0, CurColumn = 0, CurX = 0, ColumnTop = 0, ColumnWidth = 0;
    int ColumnNo = 1;       // COLUMN#
    int CurrentNo = 1;      // CURRENT#
    bool IsSubReportBuild = false;
    bool IsSubReportTarget = false;
};
