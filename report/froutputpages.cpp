#include "report/froutputpages.h"

#include "report/fremfdevice.h"
#include "report/frpage.h"

TfrOutputPages::TfrOutputPages(bool drawing) : m_drawing(drawing) {}

TfrOutputPages::~TfrOutputPages() = default;

int TfrOutputPages::start(const TfrPage &page, int designIndex, bool tableContinuation)
{
    TfrOutputPage out;
    const TfrPrinterGeometry &g = page.PrnInfo;
    out.meta.PaperSize = page.ScaleX != 100 || page.ScaleY != 100 ? 256 : page.PaperSize;
    out.meta.PaperWidth = qRound(page.PaperWidth * page.ScaleX / 100.0);
    out.meta.PaperHeight = qRound(page.PaperHeight * page.ScaleY / 100.0);
    out.meta.Orientation = page.Orientation;
    out.meta.UseMargins = page.UseMargins;
    const auto sx = [&](int v) { return qRound(v * page.ScaleX / 100.0); };
    const auto sy = [&](int v) { return qRound(v * page.ScaleY / 100.0); };
    out.meta.PrnInfo = TfrPrinterGeometry{sx(g.pageWidth), sy(g.pageHeight), sx(g.offsetLeft), sy(g.offsetTop),
                                          sx(g.printableWidth), sy(g.printableHeight)};
    out.designPage = designIndex;
    // A page that only continues table rows gets its footer parts through them.
    out.footerPrinted = tableContinuation;
    out.tableContinuation = tableContinuation;
    if (m_drawing) {
        out.device = std::make_unique<TfrEmfDevice>(QSize(qMax(1, g.pageWidth), qMax(1, g.pageHeight)));
        out.painter = std::make_unique<QPainter>(out.device.get());
    }
    m_pages.push_back(std::move(out));
    return count() - 1;
}

QPainter *TfrOutputPages::canvas(int index)
{
    if (index < 0 || index >= count()) return nullptr;
    if (!m_drawing) {
        // Nothing is drawn in a first pass, but objects still lay themselves
        // out as on paper (how many lines of a split text fit, for one).
        if (!m_blankPainter) {
            m_blank = QImage(1, 1, QImage::Format_RGB32);
            m_blankPainter = std::make_unique<QPainter>(&m_blank);
        }
        return m_blankPainter.get();
    }
    return m_pages[std::size_t(index)].painter.get();
}

void TfrOutputPages::finish()
{
    for (TfrOutputPage &p : m_pages) {
        if (!p.painter) continue;
        p.painter->end();
        p.meta.Drawing = p.device->finish();
        p.painter.reset();
        p.device.reset();
    }
}

QList<TfrPreparedPage> TfrOutputPages::prepared() const
{
    QList<TfrPreparedPage> pages;
    for (const TfrOutputPage &p : m_pages) pages << p.meta;
    return pages;
}

int TfrOutputPages::nextBodyPage(int index) const
{
    int next = index + 1;
    while (next < count() && m_pages[std::size_t(next)].tableContinuation) ++next;
    return next < count() ? next : -1;
}

QList<int> TfrOutputPages::interleaveOrder() const
{
    QList<QList<int>> byDesign;
    for (int i = 0; i < count(); ++i) {
        const int d = m_pages[std::size_t(i)].designPage;
        while (byDesign.size() <= d) byDesign.append(QList<int>());
        byDesign[d] << i;
    }
    QList<int> order;
    for (bool any = true; any;) {
        any = false;
        for (QList<int> &list : byDesign)
            if (!list.isEmpty()) {
                order << list.takeFirst();
                any = true;
            }
    }
    return order;
}
