#pragma once
// Field definitions: what the storage says its columns are, before field objects exist.

#include "data/fieldtype.h"
#include <QList>
#include <QString>

struct TFieldDef
{
    QString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    bool Required = false;
    int Precision = 0;
    int FieldNo = 0;          // 1-based position among the data fields
    bool ReadOnly = false;
};

class TFieldDefs
{
public:
    void Clear() { m_defs.clear(); }
    TFieldDef &Add(const QString &name, TFieldType type, int size = 0, bool required = false);
    int Count() const { return int(m_defs.size()); }
    TFieldDef &operator[](int i) { return m_defs[i]; }
    const TFieldDef &operator[](int i) const { return m_defs[i]; }
    // Names match without regard to case, as the storage's do.
    const TFieldDef *Find(const QString &name) const;
    int IndexOf(const QString &name) const;

    auto begin() const { return m_defs.begin(); }
    auto end() const { return m_defs.end(); }

private:
    QList<TFieldDef> m_defs;
};
