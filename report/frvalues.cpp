#include "report/frvalues.h"

int TfrValues::AddValue(const QString &name)
{
    const int i = IndexOf(name);
    if (i >= 0) return i;
    m_items.append(Item{name, std::make_shared<TfrValue>()});
    return int(m_items.size()) - 1;
}

int TfrValues::IndexOf(const QString &name) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

TfrValue *TfrValues::FindVariable(const QString &name) const
{
    const int i = IndexOf(name);
    return i < 0 ? nullptr : m_items[i].value.get();
}

void TfrValues::Delete(int index)
{
    if (index >= 0 && index < m_items.size()) m_items.removeAt(index);
}
