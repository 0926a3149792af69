#pragma once
// TfrBuildCursor: where one build pass stands, shared by the parts that make
// the pass: the design page being built (a subreport's target page while it
// builds), the output page drawn on, the printable area of the design page,
// and whether the last break left a page or column with nothing on it yet.
//
// The parts call on each other (a band that does not fit breaks the page, a
// new page prints its headers, a band prints its subreports and table rows,
// a subreport walks its data), so the cursor also holds each of them. The
// pass owns the cursor and the parts; they live exactly as long as the pass.

#include "report/froutputpages.h"

#include <functional>

class QPainter;
class TfrBand;
class TfrPage;
class TfrReport;
class TfrBandPrinter;
class TfrDataWalk;
class TfrPageBreaker;
class TfrPagePreparer;
class TfrSubReports;
class TfrTableBands;

struct TfrBuildCursor
{
    TfrBuildCursor(TfrReport &report, bool firstOfTwo) : r(report), FirstOfTwo(firstOfTwo), Pages(!firstOfTwo) {}

    TfrReport &r;
    const bool FirstOfTwo;       // the counting pass of a two-pass build: nothing is drawn
    bool Progress = false;       // a progress window is up: the record loop keeps it alive
    TfrOutputPages Pages;
    int Current = -1;            // output page drawn on
    int FirstPageOfDesign = -1;  // first output page of the design page being built
    TfrPage *Page = nullptr;
    int Left = 0, Top = 0, Right = 0;  // printable area of the design page
    bool FreshPage = false;      // nothing printed since the last break: breaking again cannot help
    bool EmptyRows = false;      // bands print only their empty frames (rows skipped, page filled)
    bool FooterFromEnd = false;  // a master-level footer printing after the last record
    std::function<void()> PageStarted;  // after each new output page, for the progress display

    TfrPagePreparer *Preparer = nullptr;
    TfrPageBreaker *Breaker = nullptr;
    TfrBandPrinter *Bands = nullptr;
    TfrTableBands *Tables = nullptr;
    TfrSubReports *SubReports = nullptr;
    TfrDataWalk *Walk = nullptr;

    // Makes output page `index` the one drawn on (and the build state's CurPageNo).
    void SetCurrent(int index);
    QPainter *Canvas() { return Pages.canvas(Current); }
    // Objects of a column print this far right of where they were designed.
    int ColumnOffset() const;
    // Tells the program about dataset work on a band's dataset (OnDataSetWork):
    // 0 opened, 1 closed, 2 first, 3 next, 4 prior.
    void DataSetWork(TfrBand *b, int operation);
};
