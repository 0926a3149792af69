#pragma once
// TDBDateEdit: the date edit bound to a date-time field. It shows the field's
// day (the bare mask for an empty field) and stays read-only while the record
// set is not editing: typing a digit, the separator, Backspace, Delete, a
// paste or cut, the step keys and a calendar date first put the record set
// into Edit. Other printable characters are refused with a beep, Escape
// restores the field. Writing back stores the day plus the time of day the
// field held, so a kept time survives a change of date; the empty date
// clears the field, and a text that is neither empty nor a date is refused
// with "'%s' is not a valid date" (the focus stays in the edit).

#include "controls/customdateedit.h"
#include "controls/fielddatalink.h"

class TDataSource;

class TDBDateEdit : public TCustomDateEdit
{
    Q_OBJECT
public:
    explicit TDBDateEdit(QWidget *parent = nullptr);
    ~TDBDateEdit() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *source);
    const QString &DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name);
    TField *Field() const { return m_link.Field(); }
    void SetReadOnly(bool value);

    // Writes the pending text into the field now (before a post, on exit).
    void UpdateRecord();

protected:
    bool beginEdit() override { return m_link.Edit(); }
    void dateApplied() override { m_link.Modified(); }
    bool canEditNow() const override { return m_link.Editing(); }
    void acceptValue(TDateTime date) override;
    void doExit() override;
    QChar effectiveBlank() const override;

    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void dataChange();
    void updateData();

    TFieldDataLink m_link;
    bool m_loading = false;
};
