#pragma once
// TfrOutputPages: the output pages one build pass makes, each recorded as a
// drawing on its own device, with what the builder notes about it (the design
// page it belongs to, whether its footer printed, the pages that continue its
// table rows to the right, where its body starts below the headers).
//
// In the first pass of a two-pass build nothing is drawn: pages are only
// counted, and objects lay themselves out on a blank canvas as they would on
// paper, so a split text advances the same way in both passes.

#include "report/frempages.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <memory>
#include <vector>

class TfrEmfDevice;
class TfrPage;

struct TfrOutputPage
{
    std::unique_ptr<TfrEmfDevice> device;
    std::unique_ptr<QPainter> painter;
    TfrPreparedPage meta;
    int designPage = 0;
    bool footerPrinted = false;
    QList<int> rowPages;   // pages that continue this page's table rows to the right
    bool tableContinuation = false;
    int bodyTop = 0;       // CurY below the page and column headers of a page begun by a break
};

class TfrOutputPages
{
public:
    explicit TfrOutputPages(bool drawing);
    ~TfrOutputPages();
    TfrOutputPages(const TfrOutputPages &) = delete;
    TfrOutputPages &operator=(const TfrOutputPages &) = delete;

    // A new page for a design page, on its paper and scale; its index.
    int start(const TfrPage &page, int designIndex, bool tableContinuation);
    int count() const { return int(m_pages.size()); }
    TfrOutputPage &operator[](int index) { return m_pages[std::size_t(index)]; }
    const TfrOutputPage &operator[](int index) const { return m_pages[std::size_t(index)]; }

    // Where page `index` is drawn: its painter, the blank canvas when nothing
    // is drawn, or nullptr for no page.
    QPainter *canvas(int index);
    // Ends the drawing of every page still open.
    void finish();
    // The recorded pages, in build order.
    QList<TfrPreparedPage> prepared() const;
    // Build-order indexes taken one from each design page in turn, cycle after cycle.
    QList<int> interleaveOrder() const;
    // The first page after `index` that is not only a table row's
    // continuation, or -1 when there is none yet.
    int nextBodyPage(int index) const;

private:
    bool m_drawing;
    std::vector<TfrOutputPage> m_pages;
    QImage m_blank;
    std::unique_ptr<QPainter> m_blankPainter;
};
