#pragma once
// TfrPageArea: the arithmetic of where bands print on a sheet and when they
// go to the next column or page, on plain numbers (report units, 96 per inch).
//
// The printable area is the sheet within the page's own margins (a margin of
// 0 takes the printer's unprintable edge), or the whole sheet when margins are
// off; the page footer's height is kept free at the bottom. Columns share the
// width left after their gaps. A band fits while its bottom does not pass the
// area's bottom; one that does not fit goes to the next column, or after the
// last column to a new page.

#include "report/frprinterdevice.h"

struct TfrPageArea
{
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Columns = 1;
    int ColumnGap = 0;
    int ColumnWidth = 0;

    // margins: left, top, right, bottom; footerHeight: 0 when the page has no footer to keep room for.
    static TfrPageArea compute(const TfrPrinterGeometry &sheet, bool useMargins, const int margins[4],
                               int footerHeight, int columnCount, int columnGap);

    // Left edge of a column (0-based).
    int ColumnLeft(int column) const { return Left + column * (ColumnWidth + ColumnGap); }
    // Whether `height` printed at `y` stays above `bottom`.
    static bool Fits(int y, int height, int bottom) { return y + height <= bottom; }
    // How many rows of `height` print from `y` and still leave `reserve` free above `bottom`.
    static int RowsThatFit(int y, int height, int bottom, int reserve);

    enum class Break { NextColumn, NextPage };
    // Where a band goes that does not fit in `column` (0-based) of `columnCount`.
    static Break WhereNext(int column, int columnCount)
    {
        return column < (columnCount < 1 ? 1 : columnCount) - 1 ? Break::NextColumn : Break::NextPage;
    }
};
