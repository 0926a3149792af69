#include "settings/storedvalues.h"

TStoredValue &TStoredValues::Add(const QString &Name)
{
    if (TStoredValue *existing = FindValue(Name))
        return *existing;
    m_items.push_back(std::make_unique<TStoredValue>());
    m_items.back()->Name = Name;
    return *m_items.back();
}

int TStoredValues::IndexOf(const QString &Name) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->Name.compare(Name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

TStoredValue *TStoredValues::FindValue(const QString &Name)
{
    const int index = IndexOf(Name);
    return index < 0 ? nullptr : m_items.at(index).get();
}

void TStoredValues::Delete(int index)
{
    if (index < 0 || index >= Count()) {
        qWarning("TStoredValues::Delete: index %d out of range", index);
        return;
    }
    m_items.erase(m_items.begin() + index);
}
