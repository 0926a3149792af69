#include "report/frpagearea.h"

#include <QtGlobal>

TfrPageArea TfrPageArea::compute(const TfrPrinterGeometry &g, bool m, const int margins[4], int footerHeight,
                                 int columnCount, int columnGap)
{
    TfrPageArea a;
    a.Left = m && margins[0] ? margins[0] : (m ? g.offsetLeft : 0);
    a.Top = m && margins[1] ? margins[1] : (m ? g.offsetTop : 0);
    a.Right = m && margins[2] ? g.pageWidth - margins[2] : (m ? g.offsetLeft + g.printableWidth : g.pageWidth);
    a.Bottom = (m && margins[3] ? g.pageHeight - margins[3] : (m ? g.offsetTop + g.printableHeight : g.pageHeight))
               - footerHeight;
    a.Columns = qMax(1, columnCount);
    a.ColumnGap = columnGap;
    a.ColumnWidth = (a.Right - a.Left - a.Columns * columnGap) / a.Columns;
    return a;
}

int TfrPageArea::RowsThatFit(int y, int height, int bottom, int reserve)
{
    // A row of no height would fit for ever.
    if (height <= 0) return 0;
    int rows = 0;
    while (Fits(y, height, bottom - reserve)) {
        y += height;
        ++rows;
    }
    return rows;
}
