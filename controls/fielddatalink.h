#pragma once
// A control's link to one field of a data source. It tells the control when
// to show the field again (row or field changed), when editing starts or ends,
// and when to write its pending text into the field (before a post, or when
// the control is left); the control reports its own changes with Modified().

#include "data/datalink.h"

#include <functional>

class TFieldDataLink : public TDataLink
{
public:
    TFieldDataLink() = default;

    const QString &FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &name);
    TField *Field() const { return m_field; }

    // True when the field exists, is writable and the link is not read-only.
    bool CanModify() const;
    // Puts the record set into Edit when it can be modified; true when editing.
    bool Edit();
    // The control's text differs from the field.
    void Modified() { m_modified = true; }
    bool IsModified() const { return m_modified; }
    // Drops the control's changes: shows the field's value again.
    void Reset() { RecordChanged(nullptr); }

    // Hooks a control's handlers; Detach() drops them and the source, as a
    // control's destructor must before its members go.
    void Attach(std::function<void()> dataChange, std::function<void()> editingChange = {},
                std::function<void()> updateData = {})
    {
        OnDataChange = std::move(dataChange);
        OnEditingChange = std::move(editingChange);
        OnUpdateData = std::move(updateData);
    }
    void Detach()
    {
        Attach({}, {}, {});
        SetDataSource(nullptr);
    }

    std::function<void()> OnDataChange;
    std::function<void()> OnEditingChange;
    std::function<void()> OnUpdateData;
    std::function<void()> OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField *field) override;
    void UpdateData() override;
    void FocusControl(TField **field) override { (void)field; }

private:
    void updateField();

    QString m_fieldName;
    TField *m_field = nullptr;
    bool m_modified = false;
};
