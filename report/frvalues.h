#pragma once
// The named values of a report, in list order; names are looked up without
// regard to case. Stored in the values record of a template.

#include "report/frvalue.h"

#include <QList>
#include <QString>
#include <memory>

class TfrValues
{
public:
    int Count() const { return int(m_items.size()); }
    const QString &Name(int index) const { return m_items[index].name; }
    TfrValue *Objects(int index) const { return m_items[index].value.get(); }
    // Adds (or returns the existing) value of that name; returns its index.
    int AddValue(const QString &name);
    TfrValue *FindVariable(const QString &name) const;
    int IndexOf(const QString &name) const;
    void Delete(int index);
    void Clear() { m_items.clear(); }

private:
    struct Item
    {
        QString name;
        std::shared_ptr<TfrValue> value;
    };
    QList<Item> m_items;
};
