#include "report/frpages.h"

#include "report/frpage.h"
#include "report/frpapertable.h"

TfrPages::~TfrPages() { Clear(); }

TfrPage *TfrPages::Add()
{
    auto *page = new TfrPage(frPaper::A4, 0, 0, 0);
    m_pages.append(page);
    return page;
}

void TfrPages::Delete(int index)
{
    if (index < 0 || index >= m_pages.size()) return;
    delete m_pages.takeAt(index);
}

void TfrPages::Clear()
{
    qDeleteAll(m_pages);
    m_pages.clear();
}

bool TfrPages::Reorder(const QList<int> &order)
{
    if (order.size() != m_pages.size()) return false;
    QList<bool> seen(m_pages.size(), false);
    for (int i : order) {
        if (i < 0 || i >= m_pages.size() || seen[i]) return false;
        seen[i] = true;
    }
    QList<TfrPage *> pages;
    for (int i : order) pages.append(m_pages[i]);
    m_pages = pages;
    return true;
}
