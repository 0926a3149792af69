#pragma once
// TfrPageBreaker: starts output pages and breaks to the next column or page
// when a band does not fit.
//
// A new page closes the old one (column footer, page footer), starts an output
// page on the design page's paper, and opens the new one (overlay, page
// header, column header); its body starts below them. A break goes to the
// next column while the page has one, else to a new page; inside a subreport
// it goes on where the subreport's own page goes on. A new page asked for
// while one is being started (a header taller than the page) is an error,
// not a loop. A build never makes more than frBuilder::MaxPages pages.
// The arithmetic (printable area, what fits, where next) is TfrPageArea's.

struct TfrBuildCursor;
class TfrPage;

class TfrPageBreaker
{
public:
    explicit TfrPageBreaker(TfrBuildCursor &cursor) : c(cursor) {}

    // The printable area of `page` into the cursor (left, top, right) and the page (bottom, column width).
    void ComputeArea(TfrPage *page);
    // A new output page for design page `designIndex`, made current.
    void StartOutputPage(TfrPage *page, int designIndex, bool tableContinuation = false);
    void BreakColumnOrPage();
    void NewPage();

private:
    TfrBuildCursor &c;
    bool m_inNewPage = false;
};
