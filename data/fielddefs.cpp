#include "data/fielddefs.h"

TFieldDef &TFieldDefs::Add(const QString &name, TFieldType type, int size, bool required)
{
    TFieldDef def;
    def.Name = name;
    def.DataType = type;
    def.Size = size;
    def.Required = required;
    def.FieldNo = int(m_defs.size()) + 1;
    m_defs.append(def);
    return m_defs.last();
}

int TFieldDefs::IndexOf(const QString &name) const
{
    for (int i = 0; i < m_defs.size(); ++i)
        if (m_defs[i].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

const TFieldDef *TFieldDefs::Find(const QString &name) const
{
    const int i = IndexOf(name);
    return i < 0 ? nullptr : &m_defs[i];
}

QString fieldTypeName(TFieldType type)
{
    static const char *const names[] = {
        "Unknown", "String", "SmallInt", "Integer", "Word", "Boolean", "Float", "Currency", "BCD",
        "Date", "Time", "DateTime", "Bytes", "VarBytes", "AutoInc", "Blob", "Memo", "Graphic",
        "FmtMemo", "ParadoxOle", "DBaseOle", "TypedBinary", "Cursor", "FixedChar", "WideString",
        "Largeint", "ADT", "Array", "Reference", "DataSet", "OraBlob", "OraClob", "Variant",
        "Interface", "IDispatch", "Guid"};
    const int i = int(type);
    return (i >= 0 && i <= int(ftGuid)) ? QString::fromLatin1(names[i]) : QStringLiteral("Unknown");
}
