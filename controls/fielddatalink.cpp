#include "controls/fielddatalink.h"

void TFieldDataLink::SetFieldName(const QString &name)
{
    if (m_fieldName == name) return;
    m_fieldName = name;
    updateField();
}

void TFieldDataLink::updateField()
{
    TField *field = nullptr;
    if (Active() && !m_fieldName.isEmpty()) field = DataSet()->FindField(m_fieldName);
    m_field = field;
    m_modified = false;
    if (OnDataChange) OnDataChange();
}

bool TFieldDataLink::CanModify() const
{
    return !ReadOnly() && m_field && m_field->CanModify();
}

bool TFieldDataLink::Edit()
{
    if (CanModify()) TDataLink::Edit();
    return Editing();
}

void TFieldDataLink::ActiveChanged()
{
    updateField();
    if (OnActiveChange) OnActiveChange();
}

void TFieldDataLink::EditingChanged()
{
    if (OnEditingChange) OnEditingChange();
}

void TFieldDataLink::LayoutChanged()
{
    updateField();
}

void TFieldDataLink::RecordChanged(TField *field)
{
    if (field && field != m_field) return;
    m_modified = false;
    if (OnDataChange) OnDataChange();
}

void TFieldDataLink::UpdateData()
{
    if (!m_modified) return;
    if (m_field && OnUpdateData) OnUpdateData();
    m_modified = false;
}
