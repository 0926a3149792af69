#pragma once
// TfrPreviewLayout: where the pages of a preview lie on its scrolled area.
// Pages stand one below the other (two per row in "Due pagine"), 12 screen
// pixels apart; a page is its paper size (tenths of a millimetre) x 397 / 1050
// x zoom / 100 pixels. The fitting choices compute the zoom from the visible
// area. Plain numbers in, rectangles out: no widget needed.

#include <QList>
#include <QRect>
#include <QSize>

enum class TfrZoomMode { Percent, PageWidth, OnePage, TwoPages };

class TfrPreviewLayout
{
public:
    static constexpr int Gap = 12;

    void setPapers(const QList<QSize> &papers) { m_papers = papers; }
    // `percent` counts for TfrZoomMode::Percent only.
    void setZoom(TfrZoomMode mode, int percent = 100);
    void setViewport(const QSize &size) { m_viewport = size; }

    TfrZoomMode mode() const { return m_mode; }
    double zoom() const;              // the percentage in effect
    int columns() const { return m_mode == TfrZoomMode::TwoPages ? 2 : 1; }
    int count() const { return int(m_papers.size()); }

    // Page size on screen for a paper.
    QSize pageSize(int index) const;
    QRect pageRect(int index) const;  // in area coordinates
    QSize contentSize() const;
    // The scroll position that shows page `index` at the top: the heights of
    // the rows before it, with their gaps.
    int pageTop(int index) const;
    // The page whose row holds the area's y coordinate (the last one below it).
    int pageAt(int y) const;

private:
    int rowHeight(int row) const;
    int rowWidth(int row) const;

    QList<QSize> m_papers;
    QSize m_viewport;
    TfrZoomMode m_mode = TfrZoomMode::Percent;
    int m_percent = 100;
};
