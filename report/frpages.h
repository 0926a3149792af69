#pragma once
// The design pages of a report, owned, in order.

#include <QList>

class TfrPage;

class TfrPages
{
public:
    TfrPages() = default;
    ~TfrPages();
    TfrPages(const TfrPages &) = delete;
    TfrPages &operator=(const TfrPages &) = delete;

    int Count() const { return int(m_pages.size()); }
    TfrPage *operator[](int index) const { return m_pages.value(index); }
    TfrPage *Pages(int index) const { return m_pages.value(index); }
    // A default page: paper code 9 with no size, portrait.
    TfrPage *Add();
    void Delete(int index);
    // Position i takes the page that stood at order[i] (a permutation; anything else is ignored).
    bool Reorder(const QList<int> &order);
    void Clear();
    int IndexOf(const TfrPage *page) const { return int(m_pages.indexOf(const_cast<TfrPage *>(page))); }

private:
    QList<TfrPage *> m_pages;
};
