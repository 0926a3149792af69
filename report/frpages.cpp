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
