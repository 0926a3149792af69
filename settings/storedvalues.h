#pragma once
// TStoredValues: named values a TFormStorage keeps in its placement section.
// Each value is written under KeyString, or under Name when KeyString is
// empty. OnSave may change the value about to be written, OnRestore the value
// just read, before it becomes Value; a key missing from the file leaves
// Value as it is.

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class TStoredValue
{
public:
    using TStoredValueEvent = std::function<void(TStoredValue &Sender, QVariant &Value)>;

    QString Name;
    QVariant Value;
    QString KeyString;
    TStoredValueEvent OnSave;
    TStoredValueEvent OnRestore;

    QString Key() const { return KeyString.isEmpty() ? Name : KeyString; }
};

class TStoredValues
{
public:
    int Count() const { return int(m_items.size()); }
    TStoredValue &Items(int index) { return *m_items.at(index); }
    const TStoredValue &Items(int index) const { return *m_items.at(index); }
    // Names are unique without regard to case: adding an existing name
    // returns that value.
    TStoredValue &Add(const QString &Name);
    int IndexOf(const QString &Name) const;
    TStoredValue *FindValue(const QString &Name);
    void Delete(int index);
    void Clear() { m_items.clear(); }

private:
    std::vector<std::unique_ptr<TStoredValue>> m_items;
};
